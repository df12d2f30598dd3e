#pragma once

#include <string>

namespace vantor {

// The embedded media player as the program uses it. Every operation raises vantor::Error with the
// player's own error text when it fails. Positions are seconds from the media start.
class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;

    // Opens the file at `path` (UTF-8); the caller stops the player right after.
    virtual void setUrl(const std::string& path) = 0;
    virtual void play() = 0;
    // Stands still at the start until the next play.
    virtual void stop() = 0;
    virtual void pause() = 0;
    // Advances while playing.
    virtual double currentPosition() = 0;
    // A read right after returns the new position; a playing player keeps playing.
    virtual void setCurrentPosition(double seconds) = 0;
    // mm:ss below one hour, hh:mm:ss from one hour on; empty while no media is open.
    virtual std::string currentPositionString() = 0;
    // 3 exactly while playing.
    virtual int playState() = 0;
    // A short status text (UTF-8) for the status label; nothing depends on its wording.
    virtual std::string status() = 0;
    // Makes the picture cover the rectangle, in the video panel's coordinates.
    virtual void fitDisplay(int left, int top, int width, int height) = 0;
    // Stops and frees the player; no other call follows.
    virtual void release() = 0;
};

inline constexpr int kPlayStatePlaying = 3;

} // namespace vantor
