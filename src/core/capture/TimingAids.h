#pragma once

#include "ports/MediaPlayer.h"

#include <string>
#include <string_view>

namespace vantor {

// Playback rates the speed keys step through, in tenths: 0.5× to 2.0×.
inline constexpr int kSlowestSpeedTenths = 5;
inline constexpr int kFastestSpeedTenths = 20;
// The reaction-time offset taken off every start and end mark, in milliseconds.
inline constexpr int kMaxReactionOffsetMs = 1000;
// The settings value that remembers the offset (decimal milliseconds).
inline constexpr std::string_view kReactionOffsetSetting = "vantorReactionOffsetMs";

// The keys that help timing by ear: playback speed, seeking and pause. They act on the player only; marks,
// documents and files stay as they are, in every state of the capture cycle.
class TimingAids {
public:
    explicit TimingAids(MediaPlayer& player);

    // One step of 0.1× faster or slower, within 0.5×–2.0×; normalSpeed goes back to 1.0×.
    void faster();
    void slower();
    void normalSpeed();
    // Moves the position by `seconds` (negative: back), never before the media start.
    void seekBy(double seconds);
    // Pauses while playing, plays otherwise.
    void togglePause();

private:
    void setSpeedTenths(int tenths);

    MediaPlayer& m_player;
};

// The player's rate in tenths, rounded.
int speedTenths(double speed);
// "1.5×" for a rate of 1.5; one decimal.
std::string speedText(double speed);
// What the status label adds to the player's status: the rate when it is not 1.0×, else nothing.
std::string statusSpeedNote(double speed);
// What the footer line adds for the timing aids that are not at their defaults (UTF-8): the rate and the
// reaction-time offset; empty when both are at their defaults.
std::string timingAidsFooterNote(double speed, int reactionOffsetMs);
// The offset as the settings value holds it: decimal milliseconds, clamped to 0–1000; anything else
// (empty, not a number) is 0.
int parseReactionOffset(std::string_view text);

} // namespace vantor
