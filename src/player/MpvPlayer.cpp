#include "MpvPlayer.h"

#include "MpvLibrary.h"
#include "MpvVideoSurface.h"
#include "model/VantorError.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <mpv/client.h>

#include <algorithm>
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
    OsdDimensions,
    Speed,
    Duration,
    AudioPts,
    AudioCodec
};

// The script resolution of the overlay's coordinates.
constexpr int kScriptWidth = 384;
constexpr int kScriptHeight = 288;

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
        return QCoreApplication::translate("MpvPlayer", "文件无法打开").toStdString();
    case MPV_ERROR_UNKNOWN_FORMAT:
        return QCoreApplication::translate("MpvPlayer", "无法识别的文件格式").toStdString();
    case MPV_ERROR_NOTHING_TO_PLAY:
        return QCoreApplication::translate("MpvPlayer", "文件中没有可播放的视频或音频").toStdString();
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
            // The subtitles on the picture are the program's own overlay, drawn from the documents as they
            // are edited. mpv would load NAME.srt once at the open (and wait forever on a pipe of that
            // name).
            { "sub-auto", "no" },
            { "sub-codepage", "gb18030" },
            // At another speed mpv keeps the pitch with its scaletempo2 filter (0.35 inserts that one).
            { "audio-pitch-correction", "yes" },
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
        runStartedHandlers();
        return;
    }
    m_mpv = std::exchange(m_startedHandle, nullptr);
    m_library->observeProperty(m_mpv, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    m_library->observeProperty(m_mpv, Pause, "pause", MPV_FORMAT_FLAG);
    m_library->observeProperty(m_mpv, EofReached, "eof-reached", MPV_FORMAT_FLAG);
    m_library->observeProperty(m_mpv, OsdDimensions, "osd-dimensions", MPV_FORMAT_NODE);
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
        if (!m_overlay.empty())
            sendOverlay();
        if (m_speed != 1.0)
            sendSpeed();
    } catch (const std::exception& error) {
        m_error = error.what();
    }
    // The status changes with the start (and every call throws if it failed): the window must tick again.
    if (m_stateChangeHandler)
        m_stateChangeHandler();
    runStartedHandlers();
}

void MpvPlayer::runStartedHandlers()
{
    for (auto& handler : std::exchange(m_startedHandlers, {}))
        handler();
}

void MpvPlayer::whenStarted(std::function<void()> handler)
{
    if (m_released)
        return;
    if (m_startFinished)
        handler();
    else
        m_startedHandlers.push_back(std::move(handler));
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

void MpvPlayer::sendSpeed()
{
    double speed = m_speed;
    check(m_library->setPropertyAsync(
        m_mpv, kReplyBase + ++m_replyCounter, "speed", MPV_FORMAT_DOUBLE, &speed));
}

void MpvPlayer::setSpeed(double factor)
{
    ensureOpen();
    // mpv's own limits are 0.01 to 100.
    if (!std::isfinite(factor) || factor < 0.01 || factor > 100)
        throw Error("mpv: invalid speed");
    m_speed = factor;
    // Before mpv has started the rate is only noted; finishStart() passes it on.
    if (m_mpv)
        sendSpeed();
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
        estimate = std::max(estimate, report.position + elapsed * m_clockSpeed);
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
        return QCoreApplication::translate("MpvPlayer", "无法播放：").toStdString() + m_error;
    if (m_surface && m_surfaceWidget && !m_surface->renderError().empty())
        return QCoreApplication::translate("MpvPlayer", "无法显示视频：").toStdString()
            + m_surface->renderError();
    if (m_path.empty())
        return QCoreApplication::translate("MpvPlayer", "就绪").toStdString();
    if (!m_fileLoaded)
        return QCoreApplication::translate("MpvPlayer", "正在打开…").toStdString();
    switch (playState()) {
    case PlayState::Stopped:
        return QCoreApplication::translate("MpvPlayer", "已停止").toStdString();
    case PlayState::MediaEnded:
        return QCoreApplication::translate("MpvPlayer", "播放完毕").toStdString();
    case PlayState::Playing:
        return QCoreApplication::translate("MpvPlayer", "正在播放").toStdString();
    default:
        return QCoreApplication::translate("MpvPlayer", "已暂停").toStdString();
    }
}

void MpvPlayer::fitDisplay(int left, int top, int width, int height)
{
    if (m_surfaceWidget)
        m_surfaceWidget->setGeometry(left, top, width, height);
}

void MpvPlayer::setOverlay(const std::vector<OverlayEvent>& events)
{
    ensureOpen();
    const bool wasEmpty = m_overlay.empty();
    m_overlay = events;
    // Before mpv has started the events are only kept; finishStart() sends them.
    if (m_mpv && !(wasEmpty && events.empty()))
        sendOverlay();
}

void MpvPlayer::sendOverlay()
{
    if (m_overlay.empty()) {
        const char* command[] = { "osd-overlay", "1", "none", "", nullptr };
        check(m_library->commandAsync(m_mpv, 0, command));
        return;
    }
    // The script's 384 × 288 units span the picture; the output around it (black bars) extends the script
    // in the same units, so that text keeps its place and size on the picture whatever the window's shape.
    double scaleX = 1;
    double scaleY = 1;
    double offsetX = 0;
    double offsetY = 0;
    int resX = kScriptWidth;
    int resY = kScriptHeight;
    const double pictureWidth = m_output.width - m_output.left - m_output.right;
    const double pictureHeight = m_output.height - m_output.top - m_output.bottom;
    if (pictureWidth > 0 && pictureHeight > 0) {
        scaleX = pictureWidth / kScriptWidth;
        scaleY = pictureHeight / kScriptHeight;
        resX = std::max(1, static_cast<int>(std::lround(m_output.width / scaleX)));
        resY = std::max(1, static_cast<int>(std::lround(m_output.height / scaleY)));
        // The rounding of the resolution moves the units a little; the offsets follow the rounded ones.
        offsetX = m_output.left / (m_output.width / resX);
        offsetY = m_output.top / (m_output.height / resY);
        scaleX = (m_output.width / resX) / scaleX;
        scaleY = (m_output.height / resY) / scaleY;
    }
    std::string data;
    for (const OverlayEvent& event : m_overlay) {
        char place[96];
        std::snprintf(place, sizeof place, "{\\an%d\\pos(%.2f,%.2f)}", std::clamp(event.alignment, 1, 9),
            offsetX + event.x / scaleX, offsetY + event.y / scaleY);
        data += place;
        data += event.text;
        data += '\n';
    }
    const std::string width = std::to_string(resX);
    const std::string height = std::to_string(resY);
    const char* command[] = { "osd-overlay", "1", "ass-events", data.c_str(), width.c_str(), height.c_str(),
        "0", "no", "no", nullptr };
    check(m_library->commandAsync(m_mpv, 0, command));
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
            if (present && *static_cast<const double*>(property->data) != m_clockSpeed) {
                // The media ran at the old speed until now: that position is where the new rate starts.
                const double position = interpolatedPosition();
                const bool running = !m_clockReports.empty();
                restartClock();
                m_clockSpeed = *static_cast<const double*>(property->data);
                if (running)
                    m_clockReports.push_back({ position, std::chrono::steady_clock::now() });
            }
            break;
        case Duration:
            m_duration = present ? *static_cast<const double*>(property->data) : 0;
            break;
        case OsdDimensions: {
            OutputGeometry output;
            if (present) {
                const auto* map = static_cast<const mpv_node*>(property->data);
                if (map->format == MPV_FORMAT_NODE_MAP) {
                    for (int i = 0; i < map->u.list->num; ++i) {
                        const mpv_node& value = map->u.list->values[i];
                        const double number = value.format == MPV_FORMAT_INT64
                            ? static_cast<double>(value.u.int64)
                            : value.format == MPV_FORMAT_DOUBLE ? value.u.double_
                                                                : 0;
                        const std::string key = map->u.list->keys[i];
                        if (key == "w")
                            output.width = number;
                        else if (key == "h")
                            output.height = number;
                        else if (key == "ml")
                            output.left = number;
                        else if (key == "mr")
                            output.right = number;
                        else if (key == "mt")
                            output.top = number;
                        else if (key == "mb")
                            output.bottom = number;
                    }
                }
            }
            if (output != m_output) {
                m_output = output;
                if (!m_overlay.empty())
                    sendOverlay();
            }
            break;
        }
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
