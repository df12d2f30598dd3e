#include "capture/CaptureClock.h"

#include "capture/TimingAids.h"
#include "srt/TimeCode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantor {

namespace {
// The status label pads the player's status text with 21 blanks.
const std::string kStatusPadding(21, ' ');

// hh:mm:ss of a position, for the time before the player has a position string of its own.
std::string clockOf(double seconds)
{
    const long long whole
        = std::isfinite(seconds) ? static_cast<long long>(std::floor(std::clamp(seconds, 0.0, 359999.0))) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}
} // namespace

CaptureClock::CaptureClock(CaptureSession& session, MainView& view, MediaPlayer& player)
    : m_session(session)
    , m_view(view)
    , m_player(player)
{
}

std::string CaptureClock::CurrentTimeCode()
{
    if (m_session.ResumePending) {
        m_player.setCurrentPosition(static_cast<double>(m_session.ResumeSeconds));
        m_player.play();
        if (m_player.playState() == PlayState::Playing)
            m_session.ResumePending = false;
    }
    m_session.PlayerPositionText = m_player.currentPositionString();
    const double position = m_player.currentPosition();
    m_session.PositionSecondsText = formatPositionSeconds(position);
    const std::string milliseconds = millisecondsOf(m_session.PositionSecondsText);
    m_session.RawTimeCode = m_session.PlayerPositionText + "," + milliseconds;
    for (const Control field : { Control::Edit1, Control::Edit2 }) {
        if (m_view.text(field) == ":0")
            m_view.setText(field, std::string(kZeroTimeCode));
    }
    // While the video is still opening the player has a position but no position string yet. A mark
    // taken then (F9 or F10 pressed right after start) must still be a whole time code: ",280" would go
    // into the time line of the entry and make it unreadable.
    if (m_session.PlayerPositionText.empty())
        return clockOf(position) + "," + milliseconds;
    if (m_session.RawTimeCode.size() == 9)
        return "00:" + m_session.RawTimeCode;
    return m_session.RawTimeCode;
}

void CaptureClock::Timer1Timer()
{
    m_view.setText(Control::Label2, m_player.status() + statusSpeedNote(m_player.speed()) + kStatusPadding);
    CurrentTimeCode();
    if (!m_session.PlayerPositionText.empty()) {
        if (CurrentTimeCode().size() == 12)
            m_view.setText(Control::Label1, CurrentTimeCode());
    }
    if (m_session.StartSeconds > 0 && m_session.EndSeconds > 0
        && m_session.StartSeconds < m_session.EndSeconds) {
        if (static_cast<Seconds>(m_player.currentPosition()) > m_session.EndSeconds) {
            m_session.WrapTimeCode = CurrentTimeCode();
            m_session.WrapSeconds = m_player.currentPosition();
            m_player.setCurrentPosition(static_cast<double>(m_session.StartSeconds));
        }
    }
}

int CaptureClock::nextTickMs()
{
    if (m_session.ResumePending || m_player.seekPending() || m_player.playState() != PlayState::Playing)
        return 1;
    if (m_session.StartSeconds > 0 && m_session.EndSeconds > 0
        && m_session.StartSeconds < m_session.EndSeconds) {
        const double speed = std::max(m_player.speed(), 0.01);
        const double untilEndMs
            = static_cast<double>(m_session.EndSeconds - static_cast<Seconds>(m_player.currentPosition()))
            / speed * 1000;
        // Woken a few milliseconds early: a timer may fire a little late, never early.
        constexpr double kMargin = 3;
        if (!(untilEndMs > kMargin + 1))
            return 1;
        return static_cast<int>(std::min<double>(kRelaxedTickMs, untilEndMs - kMargin));
    }
    return kRelaxedTickMs;
}

bool CaptureClock::needsTick()
{
    if (m_session.ResumePending || m_player.seekPending())
        return true;
    switch (m_player.playState()) {
    case PlayState::Playing:
    case PlayState::Transitioning:
        return true;
    case PlayState::Undefined:
    case PlayState::Stopped:
    case PlayState::Paused:
    case PlayState::MediaEnded:
        break;
    }
    return false;
}

} // namespace vantor
