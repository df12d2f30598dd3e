#include "MpvPlayer.h"

#include "MpvLibrary.h"
#include "MpvVideoSurface.h"
#include "model/VantorError.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <mpv/client.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <utility>

namespace vantor {

namespace {

enum ObservedProperty : std::uint64_t {
    TimePos = 1,
    Pause,
    EofReached,
    Speed,
    Duration,
    AudioPts,
    AudioCodec
};

// How far (media seconds) the interpolated position may run ahead of the latest position mpv reported: more
// than the longest frame interval met in practice (1 s frames in screen recordings), so that it bounds the
// error only when playback stalls.
constexpr double kMaxInterpolation = 1.5;
// Reports older than this (steady-clock seconds) no longer count: their clock may have drifted from the
// sound card's. Longer than the longest frame interval, so that a report is always at hand while playing.
constexpr double kReportLifetime = 2.0;

// Replies to seeks and pause writes carry ids from this base upwards, so they never collide with the
// property ids.
constexpr std::uint64_t kReplyBase = 1000;

// A DRM device node (Mesa, and NVIDIA's DRM module) or NVIDIA's control node.
bool hasGpuDevice()
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("renderD", 0) == 0 || name.rfind("card", 0) == 0)
            return true;
    }
    return std::filesystem::exists("/dev/nvidiactl", error);
}

// Chooses the renderer: software where OpenGL is missing or itself runs in software (llvmpipe costs
// several times the CPU of libmpv's own software renderer at the panel's small size).
bool preferSoftwareRendering()
{
    if (const char* forced = std::getenv("VANTOR_VIDEO_OUTPUT")) {
        if (std::strcmp(forced, "sw") == 0)
            return true;
        if (std::strcmp(forced, "gl") == 0)
            return false;
    }
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return true;
    // Without a GPU device OpenGL can only be Mesa's software rasteriser, and a context made just to learn
    // that loads LLVM: 0.22 s of start-up measured under Xvfb.
    if (!hasGpuDevice())
        return true;
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface))
        return true;
    const auto* renderer = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    const QByteArray name = QByteArray(renderer ? renderer : "").toLower();
    context.doneCurrent();
    return name.isEmpty() || name.contains("llvmpipe") || name.contains("softpipe") || name.contains("swrast")
        || name.contains("software");
}

// The reasons an open fails that users meet, in the window's language; others keep mpv's own text.
std::string openFailureText(int error, const MpvLibrary& library)
{
    switch (error) {
    case MPV_ERROR_LOADING_FAILED:
        return "文件无法打开";
    case MPV_ERROR_UNKNOWN_FORMAT:
        return "无法识别的文件格式";
    case MPV_ERROR_NOTHING_TO_PLAY:
        return "文件中没有可播放的视频或音频";
    default:
        return library.errorString(error);
    }
}

std::string twoDigits(long value)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%02ld", value);
    return buffer;
}

} // namespace

MpvPlayer::MpvPlayer(QObject* parent)
    : MpvPlayer(Options {}, parent)
{
}

MpvPlayer::MpvPlayer(Options options, QObject* parent)
    : QObject(parent)
{
    // mpv refuses to start under a locale whose decimal point is not ".".
    std::setlocale(LC_NUMERIC, "C");
    m_guiThread = std::this_thread::get_id();
    // The environment is read here: the worker must not race a change of it on this thread.
    if (const char* forced = std::getenv("VANTOR_AO"))
        options.audioOutput = forced;
    const char* library = std::getenv("VANTOR_MPV_LIBRARY");
    // Started from the event loop, after main() has built and shown the window (see MpvLibrary).
    QMetaObject::invokeMethod(
        this,
        [this, options, library = std::string(library ? library : "")] {
            if (!m_released)
                m_starter = std::thread([this, options, library] { startMpv(options, library); });
        },
        Qt::QueuedConnection);
}

MpvPlayer::~MpvPlayer()
{
    release();
}

void MpvPlayer::startMpv(const Options& options, const std::string& library)
{
    try {
        m_library = std::make_shared<const MpvLibrary>(MpvLibrary::load(library));
        mpv_handle* mpv = m_library->create();
        if (!mpv)
            throw Error("mpv: the player could not be created");
        const char* settings[][2] = {
            { "vo", "libmpv" },
            { "video-timing-offset", "0" },
            { "hr-seek", "yes" },
            { "keep-open", "yes" },
            { "idle", "yes" },
            { "pause", "yes" },
            { "terminal", "no" },
            { "config", "no" },
            { "load-scripts", "no" },
            { "ytdl", "no" },
            { "osc", "no" },
            // mpv's built-in Lua scripts (statistics page, console, conditional profiles) serve its own
            // player window; without them no script thread starts and start-up is shorter.
            { "load-stats-overlay", "no" },
            { "load-osd-console", "no" },
            { "load-auto-profiles", "no" },
            { "input-default-bindings", "no" },
            { "input-vo-keyboard", "no" },
            { "audio-fallback-to-null", "yes" },
            { "sub-codepage", "gb18030" },
        };
        for (const auto& [name, value] : settings)
            m_library->setOptionString(mpv, name, value);
        if (!options.audioOutput.empty())
            m_library->setOptionString(mpv, "ao", options.audioOutput.c_str());
        if (const int result = m_library->initialize(mpv); result < 0) {
            m_library->terminateDestroy(mpv);
            throw Error(std::string("mpv: ") + m_library->errorString(result));
        }
        m_startedHandle = mpv;
    } catch (const std::exception& error) {
        m_startError = error.what();
    }
    QMetaObject::invokeMethod(this, &MpvPlayer::finishStart, Qt::QueuedConnection);
}

void MpvPlayer::joinStarter()
{
    if (m_starter.joinable())
        m_starter.join();
}

void MpvPlayer::finishStart()
{
    if (m_startFinished || m_released)
        return;
    joinStarter();
    m_startFinished = true;
    if (!m_startedHandle) {
        if (m_stateChangeHandler)
            m_stateChangeHandler();
        return;
    }
    m_mpv = std::exchange(m_startedHandle, nullptr);
    m_library->observeProperty(m_mpv, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    m_library->observeProperty(m_mpv, Pause, "pause", MPV_FORMAT_FLAG);
    m_library->observeProperty(m_mpv, EofReached, "eof-reached", MPV_FORMAT_FLAG);
    m_library->observeProperty(m_mpv, Speed, "speed", MPV_FORMAT_DOUBLE);
    m_library->observeProperty(m_mpv, Duration, "duration", MPV_FORMAT_DOUBLE);
    m_library->observeProperty(m_mpv, AudioPts, "audio-pts", MPV_FORMAT_DOUBLE);
    // Known once the file is loaded, before it plays: whether there is a sound clock at all.
    m_library->observeProperty(m_mpv, AudioCodec, "audio-codec-name", MPV_FORMAT_STRING);
    // Called on an mpv thread: only note the wakeup and queue the draining to the GUI thread, once until
    // that draining has begun.
    m_library->setWakeupCallback(
        m_mpv,
        [](void* context) {
            auto* self = static_cast<MpvPlayer*>(context);
            // nextEvent()'s own wakeup, on the GUI thread, is no news from mpv.
            if (self->m_ownWakeup && std::this_thread::get_id() == self->m_guiThread)
                return;
            if (!self->m_wakeupPending.exchange(true, std::memory_order_acq_rel))
                QMetaObject::invokeMethod(self, &MpvPlayer::drainEvents, Qt::QueuedConnection);
        },
        this);
    if (m_surface && m_surfaceWidget)
        m_surface->attach(m_mpv, m_library);
    // The requests made while mpv was starting. This runs from the event loop: a failure goes to the status.
    try {
        if (!m_path.empty())
            loadFile();
        if (!m_pause)
            setPauseFlag(false);
    } catch (const std::exception& error) {
        m_error = error.what();
    }
    // The status changes with the start (and every call throws if it failed): the window must tick again.
    if (m_stateChangeHandler)
        m_stateChangeHandler();
}

void MpvPlayer::check(int result) const
{
    if (result < 0)
        throw Error(std::string("mpv: ") + m_library->errorString(result));
}

QWidget* MpvPlayer::createVideoSurface(QWidget* parent)
{
    if (m_released)
        throw Error("mpv: the player has been released");
    if (preferSoftwareRendering()) {
        auto* surface = new MpvSoftwareSurface(parent);
        m_surface = surface;
        m_renderer = "sw";
    } else {
        auto* surface = new MpvGlSurface(parent);
        m_surface = surface;
        m_renderer = "gl";
    }
    m_surfaceWidget = m_surface->widget();
    if (m_mpv)
        m_surface->attach(m_mpv, m_library);
    return m_surfaceWidget;
}

std::string MpvPlayer::renderer() const
{
    return m_renderer;
}

void MpvPlayer::ensureOpen() const
{
    if (m_released)
        throw Error("mpv: the player has been released");
    if (m_startFinished && !m_mpv)
        throw Error(m_startError);
}

void MpvPlayer::loadFile()
{
    const char* command[] = { "loadfile", m_path.c_str(), "replace", nullptr };
    check(m_library->commandAsync(m_mpv, 0, command));
}

void MpvPlayer::setUrl(const std::string& path)
{
    ensureOpen();
    m_path = path;
    if (m_mpv)
        loadFile();
    m_error.clear();
    m_fileLoaded = false;
    m_eofReached = false;
    m_timePos = 0;
    m_soundAt = 0;
    m_seekFrame.reset();
    m_standingAt.reset();
    m_duration = 0;
    m_hasSound = false;
    m_seekPending = false;
    m_deferredSeek.reset();
    restartClock();
}

void MpvPlayer::setPauseFlag(bool paused)
{
    // Before mpv has started the flag is only noted; finishStart() passes it on.
    if (m_mpv) {
        int flag = paused ? 1 : 0;
        const std::uint64_t id = kReplyBase + ++m_replyCounter;
        check(m_library->setPropertyAsync(m_mpv, id, "pause", MPV_FORMAT_FLAG, &flag));
        m_latestPauseWriteId = id;
        m_pauseWritePending = true;
    }
    if (paused && !m_pause && m_fileLoaded && !m_seekPending)
        m_standingAt = interpolatedPosition();
    if (paused != m_pause)
        restartClock();
    m_pause = paused;
}

void MpvPlayer::play()
{
    ensureOpen();
    setPauseFlag(false);
    m_stopped = false;
}

void MpvPlayer::pause()
{
    ensureOpen();
    setPauseFlag(true);
}

void MpvPlayer::stop()
{
    ensureOpen();
    setPauseFlag(true);
    setCurrentPosition(0);
    m_stopped = true;
}

double MpvPlayer::currentPosition()
{
    ensureOpen();
    return interpolatedPosition();
}

// mpv reports the position once a video frame (40 ms at 25 fps, 100 ms at 10 fps) and its reports reach
// this thread late by the wakeup and the event loop's latency. While the media plays, its position runs at
// the playback speed: each report (position p, taken in at instant t) says the media stood at p at t or
// earlier, so p + (now - t) * speed never lies ahead of the media, and the highest of these over the recent
// reports is the one least delayed.
//
// Which reports: where the file has sound, those of the sound clock (audio-pts, the sample playing now)
// and no others. The picture is no clock there: after a resume mpv showed the next frame at once, 40 ms
// before the sound started (measured, CaptureTimingBench), and a position taken from that frame ran a
// frame ahead of what was heard. Without sound the frames are the clock (shown on time, measured), and so
// are the restart after a seek (the target, where hr-seek starts the picture) and a resume taking hold.
//
// A pause holds the position it was taken at: the media clock stands there until the resume, not at the
// frame on screen (which can be most of a frame earlier). After a seek, until the clock is seen running, the
// position is the first frame mpv showed there (at or after the target; sound and picture start there),
// not a later frame shown before the sound starts. Stopped, at the end and while a seek is under way it is
// mpv's own (or the target), exactly as reported.
double MpvPlayer::interpolatedPosition()
{
    if (!m_fileLoaded || m_stopped || m_eofReached || m_seekPending)
        return m_timePos;
    const double standing = m_standingAt.value_or(m_hasSound && m_seekFrame ? *m_seekFrame : m_timePos);
    if (m_pause || m_clockReports.empty())
        return standing;
    using namespace std::chrono;
    if (!m_readInstant) {
        // Every read in this turn of the event loop gives the same position: the seconds of a time code and
        // its milliseconds come from two reads and must not straddle a second.
        m_readInstant = steady_clock::now();
        QMetaObject::invokeMethod(
            this, [this] { m_readInstant.reset(); }, Qt::QueuedConnection);
    }
    const steady_clock::time_point now = *m_readInstant;
    while (!m_clockReports.empty()
        && duration<double>(now - m_clockReports.front().at).count() > kReportLifetime)
        m_clockReports.pop_front();
    // The clock has gone quiet (a sound track that ends before the picture): the frames step on alone.
    if (m_clockReports.empty())
        return std::max({ standing, m_timePos, m_interpolatedFloor });
    double estimate = m_clockReports.front().position;
    double latest = estimate;
    for (const ClockReport& report : m_clockReports) {
        const double elapsed = std::max(0.0, duration<double>(now - report.at).count());
        estimate = std::max(estimate, report.position + elapsed * m_speed);
        latest = std::max(latest, report.position);
    }
    estimate = std::min(estimate, latest + kMaxInterpolation);
    if (m_duration > 0)
        estimate = std::min(estimate, m_duration);
    if (!m_hasSound)
        estimate = std::max(estimate, m_timePos);
    estimate = std::max({ estimate, standing, m_interpolatedFloor });
    m_interpolatedFloor = estimate;
    return estimate;
}

void MpvPlayer::restartClock()
{
    m_clockReports.clear();
    m_interpolatedFloor = 0;
}

void MpvPlayer::addResumeReport()
{
    // Sound that was paused while running resumes at once (measured); after a seek it starts later, and
    // only its own reports tell when.
    if (m_fileLoaded && !m_eofReached && !m_stopped && (!m_hasSound || m_standingAt))
        m_clockReports.push_back({ m_standingAt.value_or(m_timePos), std::chrono::steady_clock::now() });
}

void MpvPlayer::sendSeek(double seconds)
{
    char target[64];
    std::snprintf(target, sizeof target, "%.9f", seconds);
    const char* command[] = { "seek", target, "absolute+exact", nullptr };
    const std::uint64_t id = kReplyBase + ++m_replyCounter;
    check(m_library->commandAsync(m_mpv, id, command));
    ++m_seeksIssued;
    m_latestSeekId = id;
    m_seekPending = true;
    m_seekReplied = false;
    restartClock();
}

void MpvPlayer::setCurrentPosition(double seconds)
{
    ensureOpen();
    if (!std::isfinite(seconds))
        throw Error("mpv: invalid position");
    seconds = std::max(0.0, seconds);
    if (m_path.empty()) {
        // Nothing open: the position has nowhere to go.
        return;
    }
    if (m_fileLoaded)
        sendSeek(seconds);
    else
        m_deferredSeek = seconds;
    m_timePos = seconds;
    m_soundAt = seconds;
    m_seekFrame.reset();
    m_standingAt.reset();
    restartClock();
    m_stopped = false;
}

std::string MpvPlayer::currentPositionString()
{
    ensureOpen();
    if (!m_fileLoaded)
        return {};
    const long whole = static_cast<long>(std::floor(std::max(0.0, interpolatedPosition())));
    const long hours = whole / 3600;
    const long minutes = whole / 60 % 60;
    const long seconds = whole % 60;
    if (hours > 0)
        return twoDigits(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(seconds);
    return twoDigits(minutes) + ":" + twoDigits(seconds);
}

PlayState MpvPlayer::playState()
{
    ensureOpen();
    if (!m_fileLoaded)
        return m_path.empty() || !m_error.empty() ? PlayState::Undefined : PlayState::Transitioning;
    if (m_stopped)
        return PlayState::Stopped;
    if (m_eofReached)
        return PlayState::MediaEnded;
    return m_pause ? PlayState::Paused : PlayState::Playing;
}

std::string MpvPlayer::status()
{
    ensureOpen();
    if (!m_error.empty())
        return "无法播放：" + m_error;
    if (m_surface && m_surfaceWidget && !m_surface->renderError().empty())
        return "无法显示视频：" + m_surface->renderError();
    if (m_path.empty())
        return "就绪";
    if (!m_fileLoaded)
        return "正在打开…";
    switch (playState()) {
    case PlayState::Stopped:
        return "已停止";
    case PlayState::MediaEnded:
        return "播放完毕";
    case PlayState::Playing:
        return "正在播放";
    default:
        return "已暂停";
    }
}

void MpvPlayer::fitDisplay(int left, int top, int width, int height)
{
    if (m_surfaceWidget)
        m_surfaceWidget->setGeometry(left, top, width, height);
}

void MpvPlayer::release()
{
    if (m_released)
        return;
    m_released = true;
    joinStarter();
    // The render context goes first; destroying the handle under a live context aborts in libmpv.
    if (m_surface && m_surfaceWidget)
        m_surface->freeRenderContext();
    m_surface = nullptr;
    if (m_mpv)
        m_library->setWakeupCallback(m_mpv, nullptr, nullptr);
    if (mpv_handle* handle = m_mpv ? m_mpv : m_startedHandle)
        m_library->terminateDestroy(handle);
    m_mpv = nullptr;
    m_startedHandle = nullptr;
}

void MpvPlayer::drainEvents()
{
    // Asking mpv costs time (see nextEvent), and at every 1 ms tick that would be more than the rest of the
    // tick, so ask only when mpv has signalled something. A wakeup that comes while draining sets the flag
    // again for the next call.
    if (!m_mpv || !m_wakeupPending.exchange(false, std::memory_order_acq_rel))
        return;
    bool news = false;
    while (m_mpv) {
        const mpv_event* event = nextEvent();
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
        news = true;
    }
    // Once per drain, not per event: while playing this runs at every frame.
    if (news && m_stateChangeHandler)
        m_stateChangeHandler();
}

const mpv_event* MpvPlayer::nextEvent()
{
    // mpv_wait_event with a zero timeout still sleeps on a timed wait that ends "now", which the kernel's
    // timer slack stretches: 0.08-0.16 ms a call measured here. After mpv_wakeup it returns at once
    // (0.017 ms a call, wakeup included).
    m_ownWakeup = true;
    m_library->wakeup(m_mpv);
    m_ownWakeup = false;
    return m_library->waitEvent(m_mpv, 0);
}

void MpvPlayer::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        const bool present = property->format != MPV_FORMAT_NONE && property->data;
        switch (event.reply_userdata) {
        case TimePos:
            // While a seek is under way the cached target stands; older positions are stale.
            if (!m_seekPending && present) {
                m_timePos = *static_cast<const double*>(property->data);
                if (!m_seekFrame)
                    m_seekFrame = m_timePos;
                if (!m_pause && !m_hasSound)
                    m_clockReports.push_back({ m_timePos, std::chrono::steady_clock::now() });
            }
            break;
        case AudioCodec:
            if (present != m_hasSound) {
                // The sound is the clock where there is sound (see interpolatedPosition).
                m_hasSound = present;
                restartClock();
            }
            break;
        case AudioPts:
            if (m_hasSound && present) {
                // Only a sound clock seen moving runs: after a seek the sound started 40 ms after mpv's
                // restart, and mpv may report where it stands before it starts (measured).
                const double position = *static_cast<const double*>(property->data);
                // Paused after a seek mpv reports the sound ahead of the target (what it has decoded).
                if (!m_seekPending && !m_pause) {
                    if (position > std::max(m_soundAt, m_seekFrame.value_or(m_soundAt)))
                        m_clockReports.push_back({ position, std::chrono::steady_clock::now() });
                    m_soundAt = position;
                }
            }
            break;
        case Pause:
            // A report that comes before mpv has answered the latest write can be an older state.
            if (!m_pauseWritePending && present)
                m_pause = *static_cast<const int*>(property->data) != 0;
            break;
        case EofReached:
            m_eofReached = present && *static_cast<const int*>(property->data) != 0;
            m_standingAt.reset();
            restartClock();
            break;
        case Speed:
            if (present && *static_cast<const double*>(property->data) != m_speed) {
                // The media ran at the old speed until now: that position is where the new rate starts.
                const double position = interpolatedPosition();
                const bool running = !m_clockReports.empty();
                restartClock();
                m_speed = *static_cast<const double*>(property->data);
                if (running)
                    m_clockReports.push_back({ position, std::chrono::steady_clock::now() });
            }
            break;
        case Duration:
            m_duration = present ? *static_cast<const double*>(property->data) : 0;
            break;
        default:
            break;
        }
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        // A failure reported for an earlier file no longer holds.
        m_error.clear();
        m_fileLoaded = true;
        restartClock();
        if (m_deferredSeek) {
            const double target = *m_deferredSeek;
            m_deferredSeek.reset();
            sendSeek(target);
            m_timePos = target;
            m_soundAt = target;
            m_seekFrame.reset();
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end->reason == MPV_END_FILE_REASON_ERROR) {
            m_error = openFailureText(end->error, *m_library);
            m_fileLoaded = false;
            // Queued: this runs while events are drained, and the handler may open a message box.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    // A failure that a later open has already replaced is no longer news.
                    if (!m_released && !m_error.empty() && m_openFailureHandler)
                        m_openFailureHandler(m_error);
                },
                Qt::QueuedConnection);
        }
        break;
    }
    case MPV_EVENT_SET_PROPERTY_REPLY:
        if (event.reply_userdata == m_latestPauseWriteId) {
            m_pauseWritePending = false;
            // mpv has resumed: the shown frame is where the media clock starts again (or a little behind).
            if (!m_pause && !m_seekPending)
                addResumeReport();
        }
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == m_latestSeekId) {
            m_seekReplied = true;
            if (event.error < 0)
                m_seekPending = false;
        }
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (m_seekReplied && m_seekPending) {
            m_seekPending = false;
            // Sound and picture start at the target now (hr-seek), if mpv is not paused.
            restartClock();
            if (!m_pause && !m_pauseWritePending)
                addResumeReport();
        }
        break;
    default:
        break;
    }
}

} // namespace vantor
