#include "capture/TimingAids.h"

#include "model/Translate.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace vantor {

TimingAids::TimingAids(MediaPlayer& player)
    : m_player(player)
{
}

void TimingAids::setSpeedTenths(int tenths)
{
    tenths = std::clamp(tenths, kSlowestSpeedTenths, kFastestSpeedTenths);
    if (tenths != speedTenths(m_player.speed()))
        m_player.setSpeed(tenths / 10.0);
}

void TimingAids::faster()
{
    setSpeedTenths(speedTenths(m_player.speed()) + 1);
}

void TimingAids::slower()
{
    setSpeedTenths(speedTenths(m_player.speed()) - 1);
}

void TimingAids::normalSpeed()
{
    setSpeedTenths(10);
}

void TimingAids::seekBy(double seconds)
{
    m_player.setCurrentPosition(std::max(0.0, m_player.currentPosition() + seconds));
}

void TimingAids::togglePause()
{
    if (m_player.playState() == PlayState::Playing)
        m_player.pause();
    else
        m_player.play();
}

int speedTenths(double speed)
{
    if (!std::isfinite(speed))
        return 10;
    return static_cast<int>(std::lround(speed * 10));
}

std::string speedText(double speed)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f×", speedTenths(speed) / 10.0);
    return text;
}

std::string statusSpeedNote(double speed)
{
    if (speedTenths(speed) == 10)
        return {};
    return "  " + speedText(speed);
}

std::string timingAidsFooterNote(double speed, int reactionOffsetMs)
{
    std::string note;
    if (speedTenths(speed) != 10)
        note += withArguments(translate("TimingAids", "；速度 %1"), { speedText(speed) });
    if (reactionOffsetMs != 0)
        note += withArguments(
            translate("TimingAids", "；反应补偿 %1 ms"), { std::to_string(reactionOffsetMs) });
    return note;
}

int parseReactionOffset(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return 0;
    return std::clamp(value, 0, kMaxReactionOffsetMs);
}

} // namespace vantor
