#include "overlay/SubtitleOverlay.h"

#include "overlay/AssText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantor {

SubtitleOverlay::SubtitleOverlay(SubtitleDocuments& documents, MediaPlayer& player, TextCodec& codec)
    : m_documents(documents)
    , m_player(player)
    , m_codec(codec)
{
}

void SubtitleOverlay::setVisible(bool visible)
{
    m_visible = visible;
    m_stale = true;
}

void SubtitleOverlay::setPreview(std::optional<std::string> text)
{
    if (text == m_preview)
        return;
    m_preview = std::move(text);
    m_stale = true;
}

namespace {
constexpr long long kNever = std::numeric_limits<long long>::min();
constexpr long long kForever = std::numeric_limits<long long>::max();

long long millisecondsOf(double seconds)
{
    return std::isfinite(seconds) ? std::llround(std::clamp(seconds, -1e9, 1e9) * 1000) : 0;
}
} // namespace

void SubtitleOverlay::show(const std::function<double()>& position)
{
    if (!m_stale && !m_cuesStale) {
        if (m_validFrom == kNever && m_validUntil == kForever)
            return;
        const long long ms = millisecondsOf(position());
        if (ms >= m_validFrom && ms < m_validUntil)
            return;
    }
    if (m_cuesStale) {
        m_cues = cuesOfLines(m_documents.FormattedDocument.lines());
        m_cuesStale = false;
    }
    m_stale = false;
    std::vector<OverlayEvent> events = m_visible ? eventsAt(position) : std::vector<OverlayEvent>();
    if (!m_visible) {
        m_validFrom = kNever;
        m_validUntil = kForever;
    }
    if (m_drawnOnce && events == m_drawn)
        return;
    m_player.setOverlay(events);
    m_drawn = std::move(events);
    m_drawnOnce = true;
}

std::vector<OverlayEvent> SubtitleOverlay::eventsAt(const std::function<double()>& position)
{
    std::vector<OverlayEvent> events;
    // The edges nearest to the position on either side bound the stretch in which nothing changes.
    long long from = kNever;
    long long until = kForever;
    const long long ms = m_cues.empty() ? 0 : millisecondsOf(position());
    const TextDocument& document = m_documents.FormattedDocument;
    for (const SubtitleCue& cue : m_cues) {
        if (cue.startMs <= ms && ms < cue.endMs) {
            std::string text;
            for (std::size_t i = 0; i < cue.textLineCount; ++i) {
                if (i > 0)
                    text += '\n';
                text += m_codec.decode(document.line(cue.firstTextLine + i), m_documents.codePage);
            }
            events.push_back(overlayEventOfSrtText(text));
            from = std::max(from, cue.startMs);
            until = std::min(until, cue.endMs);
        } else if (cue.startMs > ms) {
            until = std::min(until, cue.startMs);
        } else {
            from = std::max(from, cue.endMs);
        }
    }
    m_validFrom = from;
    m_validUntil = until;
    if (m_preview)
        events.push_back(overlayEventOfSrtText(*m_preview));
    return events;
}

} // namespace vantor
