#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vantor {

// The player's state as playState() reports it, with the numbers the status rules were written for.
enum class PlayState : int {
    Undefined = 0, // nothing opened, or the open failed
    Stopped = 1,
    Paused = 2,
    Playing = 3,
    MediaEnded = 8,
    Transitioning = 9, // opening a file
};

// One subtitle drawn over the picture. Coordinates are those of a 384 × 288 script laid over the video,
// the resolution SRT renderers give override tags; the player maps them onto the picture as it is shown.
struct OverlayEvent {
    // ASS event text: override blocks and text, without a position or an alignment of its own.
    std::string text;
    // Numpad alignment (1–9) of the text around (x, y).
    int alignment = 2;
    double x = 192;
    double y = 278;

    bool operator==(const OverlayEvent&) const = default;
};

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
    // PlayState::Playing exactly while playing.
    virtual PlayState playState() = 0;
    // True from a change of the position until the player shows the new one: the position still moves.
    virtual bool seekPending() = 0;
    // A short status text (UTF-8) for the status label; nothing depends on its wording.
    virtual std::string status() = 0;
    // Playback rate, 1.0 for normal speed; the pitch stays. Positions stay in media time at any rate.
    virtual void setSpeed(double factor) = 0;
    // The rate last set (1.0 until then); never fails.
    virtual double speed() = 0;
    // Makes the picture cover the rectangle, in the video panel's coordinates.
    virtual void fitDisplay(int left, int top, int width, int height) = 0;
    // Draws `events` over the picture from now on, in place of what was drawn; none clears it. They stay
    // across opens and resizes until the next call.
    virtual void setOverlay(const std::vector<OverlayEvent>& events) = 0;
    // Stops and frees the player; no other call follows.
    virtual void release() = 0;

    // Takes in what the player has to tell (position, state, a failed open) so that the reads above are
    // current; called at each tick, cheap when nothing is new.
    virtual void processEvents() = 0;
    // Called when the file just opened turns out to be unplayable, with the player's reason (UTF-8). It
    // runs from the event loop, never inside a call of this port, and not for a failure a later open
    // has already replaced.
    virtual void setOpenFailureHandler(std::function<void(const std::string& reason)> handler) = 0;
    // Called when the player has taken in news of its own (its state, its position, a file loaded or
    // failed, a seek done), from the event loop or inside processEvents(). It may not call this port: it
    // only tells that the reads above may now answer differently.
    virtual void setStateChangeHandler(std::function<void()> handler) = 0;
};

} // namespace vantor
