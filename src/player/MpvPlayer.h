#pragma once

#include "ports/MediaPlayer.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct mpv_handle;
struct mpv_event;
class QWidget;

namespace vantor {

struct MpvLibrary;
class MpvVideoSurface;

// The media player over libmpv. Runs on the GUI thread, which also renders, so it only makes the calls
// libmpv allows on a render thread: every property of interest is observed and cached, every command and
// property write is asynchronous, and reads are answered from the cache. A seek sets the cached position
// to its target at once, and changes of the position are ignored until mpv has restarted playback there,
// so a read right after a seek returns the target and the segment loop sees no stale position.
//
// libmpv is loaded and started on a worker thread from the first turn of the event loop (see MpvLibrary);
// until it has started, requests are kept and carried out then, and reads answer from what was
// requested. If it cannot start, every operation but createVideoSurface and fitDisplay throws that
// failure.
// VANTOR_MPV_LIBRARY in the environment names another libmpv to load.
class MpvPlayer : public QObject, public MediaPlayer {
    Q_OBJECT
public:
    struct Options {
        // mpv's audio output; empty for mpv's choice. VANTOR_AO in the environment overrides it.
        std::string audioOutput;
    };

    explicit MpvPlayer(Options options, QObject* parent = nullptr);
    explicit MpvPlayer(QObject* parent = nullptr);
    ~MpvPlayer() override;

    // Makes the video surface inside `parent`: OpenGL on a hardware-accelerated display, libmpv's
    // software renderer on the offscreen and minimal platforms, without a GPU device and on software
    // OpenGL (llvmpipe), where it costs a fraction of the CPU. VANTOR_VIDEO_OUTPUT=gl|sw overrides the
    // choice.
    QWidget* createVideoSurface(QWidget* parent);
    // Which renderer the surface uses: "gl", "sw", or "" before the surface exists.
    std::string renderer() const;

    void setUrl(const std::string& path) override;
    void play() override;
    void stop() override;
    void pause() override;
    double currentPosition() override;
    void setCurrentPosition(double seconds) override;
    std::string currentPositionString() override;
    PlayState playState() override;
    bool seekPending() override { return m_seekPending; }
    std::string status() override;
    void setSpeed(double factor) override;
    double speed() override { return m_speed; }
    void fitDisplay(int left, int top, int width, int height) override;
    void setOverlay(const std::vector<OverlayEvent>& events) override;
    void release() override;
    void processEvents() override { drainEvents(); }
    void setOpenFailureHandler(std::function<void(const std::string& reason)> handler) override
    {
        m_openFailureHandler = std::move(handler);
    }
    void setStateChangeHandler(std::function<void()> handler) override
    {
        m_stateChangeHandler = std::move(handler);
    }

    // Handles every event mpv has queued, then tells the state change handler if there was any. Called from
    // the wakeup callback (queued to this thread) and at each tick of the main window's timer; returns at
    // once when mpv has signalled nothing new.
    void drainEvents();

    // Runs `handler` on this thread once mpv has started or failed to start, at once if it has: what is
    // asked of the player then is carried out at once rather than kept for later.
    void whenStarted(std::function<void()> handler);

    // True once the opened file is loaded and its duration known.
    bool isFileLoaded() const { return m_fileLoaded; }
    // Number of seeks sent to mpv since creation (measuring tools use it).
    std::uint64_t seeksIssued() const { return m_seeksIssued; }
    // The libmpv handle, null until mpv has started; measuring tools make a client of their own on it.
    mpv_handle* handle() const { return m_mpv; }

private:
    // On the worker thread: loads libmpv (`library`, empty for the default) and creates and initialises
    // the handle.
    void startMpv(const Options& options, const std::string& library);
    // On the GUI thread, queued by the worker: takes the handle into use and carries out the requests
    // made meanwhile.
    void finishStart();
    void runStartedHandlers();
    void joinStarter();
    void loadFile();
    void check(int result) const;
    const mpv_event* nextEvent();
    void handleEvent(const mpv_event& event);
    void sendSeek(double seconds);
    void setPauseFlag(bool paused);
    void sendSpeed();
    void ensureOpen() const;
    // Sends the overlay to mpv, mapped from the script over the video onto the whole video output.
    void sendOverlay();
    // The playing position between two reports of mpv (see currentPosition).
    double interpolatedPosition();
    // Forgets the reports the interpolation stands on: the media clock has jumped or changed its rate.
    void restartClock();
    // Takes the position shown now as a report: playback has just (re)started there.
    void addResumeReport();

    // Written by the worker thread, read on the GUI thread after joining it.
    std::thread m_starter;
    std::shared_ptr<const MpvLibrary> m_library;
    mpv_handle* m_startedHandle = nullptr;
    std::string m_startError;
    bool m_startFinished = false;
    bool m_released = false;

    mpv_handle* m_mpv = nullptr;
    // The surface frees its own render context if its parent deletes it first; the guard tells.
    MpvVideoSurface* m_surface = nullptr;
    QPointer<QWidget> m_surfaceWidget;
    std::string m_renderer;

    std::string m_path;
    std::string m_error;
    std::function<void(const std::string&)> m_openFailureHandler;
    std::vector<std::function<void()>> m_startedHandlers;
    std::function<void()> m_stateChangeHandler;
    double m_timePos = 0;
    // A position mpv reported while playing and the steady-clock instant it was taken in; see
    // interpolatedPosition().
    struct ClockReport {
        double position;
        std::chrono::steady_clock::time_point at;
    };
    std::deque<ClockReport> m_clockReports;
    // The highest position interpolated since the clock last restarted: reads never go back while playing.
    double m_interpolatedFloor = 0;
    // One instant for every read in one turn of the event loop; cleared by a queued call.
    std::optional<std::chrono::steady_clock::time_point> m_readInstant;
    // The rate the media runs at, as mpv reports it (m_speed below is the rate asked for).
    double m_clockSpeed = 1;
    double m_duration = 0;
    // The open file has sound: its clock, not the frames, times the position.
    bool m_hasSound = false;
    // Where a pause stopped the running position, until a seek or the end; see interpolatedPosition().
    std::optional<double> m_standingAt;
    // The first frame mpv reported after the latest seek: where sound and picture start.
    std::optional<double> m_seekFrame;
    // Where the sound clock last stood: its latest report, or the target of a seek.
    double m_soundAt = 0;
    bool m_pause = true;
    // The rate last asked for; mpv keeps it across files.
    double m_speed = 1.0;
    bool m_fileLoaded = false;
    bool m_eofReached = false;
    bool m_stopped = false;
    bool m_seekPending = false;
    bool m_seekReplied = false;
    std::uint64_t m_latestSeekId = 0;
    std::uint64_t m_seeksIssued = 0;
    // Pause writes are answered asynchronously too; until the latest is answered, reports of the pause
    // property may be older than it.
    bool m_pauseWritePending = false;
    std::uint64_t m_latestPauseWriteId = 0;
    std::uint64_t m_replyCounter = 0;
    std::optional<double> m_deferredSeek;
    std::vector<OverlayEvent> m_overlay;
    // The video output's size and the margins around the picture in it (mpv's osd-dimensions).
    struct OutputGeometry {
        double width = 0, height = 0, left = 0, right = 0, top = 0, bottom = 0;
        bool operator==(const OutputGeometry&) const = default;
    } m_output;
    // Set by libmpv's wakeup callback (on an mpv thread), cleared by drainEvents on the GUI thread.
    std::atomic<bool> m_wakeupPending { true };
    // Set on the GUI thread around nextEvent()'s own mpv_wakeup, whose callback runs on that thread.
    std::atomic<bool> m_ownWakeup { false };
    std::thread::id m_guiThread;
};

} // namespace vantor
