#pragma once

#include "model/SubtitleDocuments.h"
#include "overlay/SubtitleCues.h"
#include "ports/MediaPlayer.h"
#include "ports/TextCodec.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// The subtitles drawn over the picture: the formatted document's entries at the player's position, and
// the line being typed (a preview of the entry Enter will make). It tells the player only when what is
// drawn changes: between the edges of the entries around the position a call costs two comparisons.
class SubtitleOverlay {
public:
    SubtitleOverlay(SubtitleDocuments& documents, MediaPlayer& player, TextCodec& codec);

    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    // The formatted document changed: its entries are read again at the next show().
    void documentChanged() { m_cuesStale = true; }
    // A styled text line (UTF-8) drawn whatever the position, until it is replaced or taken away.
    void setPreview(std::optional<std::string> text);

    // Draws what belongs at the media position `position` gives, which it asks only when the entries
    // around it matter.
    void show(const std::function<double()>& position);

    // The entries as last read, for measuring tools and tests.
    const std::vector<SubtitleCue>& cues() const { return m_cues; }

private:
    std::vector<OverlayEvent> eventsAt(const std::function<double()>& position);

    SubtitleDocuments& m_documents;
    MediaPlayer& m_player;
    TextCodec& m_codec;
    bool m_visible = true;
    std::vector<SubtitleCue> m_cues;
    bool m_cuesStale = true;
    std::optional<std::string> m_preview;
    // What is drawn stays right for positions in [m_validFrom, m_validUntil).
    long long m_validFrom = 0;
    long long m_validUntil = 0;
    bool m_stale = true;
    std::vector<OverlayEvent> m_drawn;
    bool m_drawnOnce = false;
};

} // namespace vantor
