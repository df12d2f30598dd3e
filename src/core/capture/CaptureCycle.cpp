#include "capture/CaptureCycle.h"

#include "model/Text.h"
#include "srt/SrtLayout.h"
#include "srt/TimeCode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantor {

namespace {

// hh:mm:ss,mmm of a position, milliseconds cut off as the time codes of the clock have them.
std::string timeCodeOfSeconds(double seconds)
{
    const long long whole = static_cast<long long>(std::floor(std::clamp(seconds, 0.0, 359999.0)));
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,", whole / 3600, whole / 60 % 60, whole % 60);
    return text + millisecondsOf(formatPositionSeconds(seconds));
}

} // namespace

CaptureCycle::CaptureCycle(CaptureSession& session, SubtitleDocuments& documents, SubtitleFileSet& files,
    CaptureClock& clock, MainView& view, MediaPlayer& player, TextCodec& codec, ComposeTextLine compose)
    : m_session(session)
    , m_documents(documents)
    , m_files(files)
    , m_clock(clock)
    , m_view(view)
    , m_player(player)
    , m_codec(codec)
    , m_compose(std::move(compose))
{
}

std::string CaptureCycle::markAt(const std::string& clockCode, double position, Seconds& seconds) const
{
    if (m_reactionOffsetMs <= 0) {
        seconds = position;
        return clockCode;
    }
    // The key came late by the user's reaction time: the mark goes back by it, never before the start.
    const double marked = std::max(0.0, position - m_reactionOffsetMs / 1000.0);
    seconds = marked;
    return timeCodeOfSeconds(marked);
}

void CaptureCycle::StartTimeButtonClick()
{
    m_player.play();
    const std::string start = m_view.text(Control::Edit1);
    if (trimControl(start) == ":0" || start == kZeroTimeCode) {
        // The first entry of a file starts at 00:00:00,001 wherever the video stands; the loop starts at
        // the real position (less the reaction offset).
        Seconds marked = 0;
        markAt(std::string(), m_player.currentPosition(), marked);
        m_session.StartSeconds = marked + kFirstMarkOffset;
        m_view.setText(Control::Edit1, std::string(kFirstTimeCode));
    } else {
        const std::string code = m_clock.CurrentTimeCode();
        Seconds marked = 0;
        m_view.setText(Control::Edit1, markAt(code, m_player.currentPosition(), marked));
        m_session.StartSeconds = marked;
    }
}

void CaptureCycle::EndTimeButtonClick()
{
    const double position = m_player.currentPosition();
    Seconds marked = 0;
    const std::string code = markAt(m_clock.CurrentTimeCode(), position, marked);
    m_session.EndSeconds = marked;
    m_view.setText(Control::Edit2, code);
    LockTimeButtons();
}

void CaptureCycle::LockTimeButtons()
{
    if (!m_view.isEnabled(Control::EndTimeButton))
        return;
    m_view.setFocus(Control::InputEdit);
    m_view.setEnabled(Control::StartTimeButton, false);
    m_view.setEnabled(Control::EndTimeButton, false);
}

std::string CaptureCycle::timeLine()
{
    return m_codec.encode(
        joinTimeLine(trimControl(m_view.text(Control::Edit1)), trimControl(m_view.text(Control::Edit2))),
        m_documents.codePage);
}

void CaptureCycle::InputEditKeyDown(int key)
{
    if (m_view.isEnabled(Control::StartTimeButton) || m_view.isEnabled(Control::EndTimeButton)
        || key != keys::kEnter || !m_files.canCapture())
        return;
    const std::string typed = m_view.text(Control::InputEdit);
    if (typed.empty())
        return;
    // Encode first: a character the file's code page cannot hold is refused before anything changes,
    // never written as "?". That holds for the style pieces too (a custom font name the code page cannot
    // hold): composed after the plain appends, a failure would leave the two documents out of line.
    const std::string text = m_codec.encode(typed, m_documents.codePage);
    const std::string time = timeLine();
    const std::string styled = m_compose(text, m_session.CustomStyle);

    m_session.EntryCount += 1;
    const std::string number = std::to_string(m_session.EntryCount);
    {
        // The appends are the capture cycle's own, not edits of the plain view.
        struct AppendingGuard {
            SubtitleFileSet& files;
            ~AppendingGuard() { files.setAppendingEntry(false); }
        } guard { m_files };
        m_files.setAppendingEntry(true);
        m_documents.PlainDocument.append(number);
        m_documents.PlainDocument.append(time);
        m_documents.PlainDocument.append(text);
        m_documents.PlainDocument.append(std::string());
    }
    m_documents.FormattedDocument.append(number);
    m_documents.FormattedDocument.append(time);
    m_documents.FormattedDocument.append(styled);
    m_documents.FormattedDocument.append(std::string());

    // Before the loop has jumped once in this run there is no wrap point. The next entry then starts at
    // the end just marked: an empty start would make its time line unreadable, and the seek below would
    // send the video back to its beginning.
    if (m_session.WrapTimeCode.empty()) {
        m_session.WrapTimeCode = trimControl(m_view.text(Control::Edit2));
        m_session.WrapSeconds = m_session.EndSeconds;
    }
    m_view.setText(Control::InputEdit, std::string());
    m_view.setText(Control::Edit1, m_session.WrapTimeCode);
    m_view.setEnabled(Control::StartTimeButton, true);
    m_view.setEnabled(Control::EndTimeButton, true);
    m_view.setText(Control::Edit2, std::string(kZeroTimeCode));
    m_session.StartSeconds = m_session.WrapSeconds;
    m_player.setCurrentPosition(static_cast<double>(m_session.WrapSeconds));
    m_session.ResumeSeconds = m_player.currentPosition();
    m_session.ResumeStartText = m_view.text(Control::Edit1);
    m_session.ResumeEndText = m_view.text(Control::Edit2);
    m_files.SaveFormattedFile();
    m_session.EditMode = false;
}

} // namespace vantor
