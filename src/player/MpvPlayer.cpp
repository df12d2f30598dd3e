#include "MpvPlayer.h"

#include "MpvVideoSurface.h"
#include "VantorError.h"

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

namespace vantor {

namespace {

enum ObservedProperty : std::uint64_t { TimePos = 1, Pause, EofReached };

// Replies to seeks and pause writes carry ids from this base upwards, so they never collide with the
// property ids.
constexpr std::uint64_t kReplyBase = 1000;

void check(int result)
{
    if (result < 0)
        throw Error(std::string("mpv: ") + mpv_error_string(result));
}

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
std::string openFailureText(int error)
{
    switch (error) {
    case MPV_ERROR_LOADING_FAILED:
        return "文件无法打开";
    case MPV_ERROR_UNKNOWN_FORMAT:
        return "无法识别的文件格式";
    case MPV_ERROR_NOTHING_TO_PLAY:
        return "文件中没有可播放的视频或音频";
    default:
        return mpv_error_string(error);
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
    m_mpv = mpv_create();
    if (!m_mpv)
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
        mpv_set_option_string(m_mpv, name, value);
    std::string audioOutput = options.audioOutput;
    if (const char* forced = std::getenv("VANTOR_AO"))
        audioOutput = forced;
    if (!audioOutput.empty())
        mpv_set_option_string(m_mpv, "ao", audioOutput.c_str());
    const int result = mpv_initialize(m_mpv);
    if (result < 0) {
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        check(result);
    }
    mpv_observe_property(m_mpv, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, Pause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, EofReached, "eof-reached", MPV_FORMAT_FLAG);
    m_guiThread = std::this_thread::get_id();
    // Called on an mpv thread: only note the wakeup and queue the draining to the GUI thread, once until
    // that draining has begun.
    mpv_set_wakeup_callback(
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
}

MpvPlayer::~MpvPlayer()
{
    release();
}

QWidget* MpvPlayer::createVideoSurface(QWidget* parent)
{
    ensureOpen();
    if (preferSoftwareRendering()) {
        auto* surface = new MpvSoftwareSurface(m_mpv, parent);
        m_surface = surface;
        m_renderer = "sw";
    } else {
        auto* surface = new MpvGlSurface(m_mpv, parent);
        m_surface = surface;
        m_renderer = "gl";
    }
    m_surfaceWidget = m_surface->widget();
    return m_surfaceWidget;
}

std::string MpvPlayer::renderer() const
{
    return m_renderer;
}

void MpvPlayer::ensureOpen() const
{
    if (!m_mpv)
        throw Error("mpv: the player has been released");
}

void MpvPlayer::setUrl(const std::string& path)
{
    ensureOpen();
    const char* command[] = { "loadfile", path.c_str(), "replace", nullptr };
    check(mpv_command_async(m_mpv, 0, command));
    m_path = path;
    m_error.clear();
    m_fileLoaded = false;
    m_eofReached = false;
    m_timePos = 0;
    m_seekPending = false;
    m_deferredSeek.reset();
}

void MpvPlayer::setPauseFlag(bool paused)
{
    int flag = paused ? 1 : 0;
    const std::uint64_t id = kReplyBase + ++m_replyCounter;
    check(mpv_set_property_async(m_mpv, id, "pause", MPV_FORMAT_FLAG, &flag));
    m_latestPauseWriteId = id;
    m_pauseWritePending = true;
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
    return m_timePos;
}

void MpvPlayer::sendSeek(double seconds)
{
    char target[64];
    std::snprintf(target, sizeof target, "%.9f", seconds);
    const char* command[] = { "seek", target, "absolute+exact", nullptr };
    const std::uint64_t id = kReplyBase + ++m_replyCounter;
    check(mpv_command_async(m_mpv, id, command));
    ++m_seeksIssued;
    m_latestSeekId = id;
    m_seekPending = true;
    m_seekReplied = false;
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
    m_stopped = false;
}

std::string MpvPlayer::currentPositionString()
{
    ensureOpen();
    if (!m_fileLoaded)
        return {};
    const long whole = static_cast<long>(std::floor(std::max(0.0, m_timePos)));
    const long hours = whole / 3600;
    const long minutes = whole / 60 % 60;
    const long seconds = whole % 60;
    if (hours > 0)
        return twoDigits(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(seconds);
    return twoDigits(minutes) + ":" + twoDigits(seconds);
}

int MpvPlayer::playState()
{
    ensureOpen();
    if (!m_fileLoaded)
        return m_path.empty() || !m_error.empty() ? 0 : 9; // undefined / transitioning
    if (m_stopped)
        return 1;
    if (m_eofReached)
        return 8; // media ended
    return m_pause ? 2 : kPlayStatePlaying;
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
    case 1:
        return "已停止";
    case 8:
        return "播放完毕";
    case kPlayStatePlaying:
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
    if (!m_mpv)
        return;
    // The render context goes first; destroying the handle under a live context aborts in libmpv.
    if (m_surfaceWidget)
        m_surface->freeRenderContext();
    m_surface = nullptr;
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    mpv_terminate_destroy(m_mpv);
    m_mpv = nullptr;
}

void MpvPlayer::drainEvents()
{
    // Asking mpv costs time (see nextEvent), and at every 1 ms tick that would be more than the rest of the
    // tick, so ask only when mpv has signalled something. A wakeup that comes while draining sets the flag
    // again for the next call.
    if (!m_mpv || !m_wakeupPending.exchange(false, std::memory_order_acq_rel))
        return;
    while (m_mpv) {
        const mpv_event* event = nextEvent();
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

const mpv_event* MpvPlayer::nextEvent()
{
    // mpv_wait_event with a zero timeout still sleeps on a timed wait that ends "now", which the kernel's
    // timer slack stretches: 0.08-0.16 ms a call measured here. After mpv_wakeup it returns at once
    // (0.017 ms a call, wakeup included).
    m_ownWakeup = true;
    mpv_wakeup(m_mpv);
    m_ownWakeup = false;
    return mpv_wait_event(m_mpv, 0);
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
            if (!m_seekPending && present)
                m_timePos = *static_cast<const double*>(property->data);
            break;
        case Pause:
            // A report that comes before mpv has answered the latest write can be an older state.
            if (!m_pauseWritePending && present)
                m_pause = *static_cast<const int*>(property->data) != 0;
            break;
        case EofReached:
            m_eofReached = present && *static_cast<const int*>(property->data) != 0;
            break;
        default:
            break;
        }
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        m_fileLoaded = true;
        if (m_deferredSeek) {
            const double target = *m_deferredSeek;
            m_deferredSeek.reset();
            sendSeek(target);
            m_timePos = target;
        }
        emit fileLoaded(true);
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end->reason == MPV_END_FILE_REASON_ERROR) {
            m_error = openFailureText(end->error);
            m_fileLoaded = false;
            emit fileLoaded(false);
        }
        break;
    }
    case MPV_EVENT_SET_PROPERTY_REPLY:
        if (event.reply_userdata == m_latestPauseWriteId)
            m_pauseWritePending = false;
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == m_latestSeekId) {
            m_seekReplied = true;
            if (event.error < 0)
                m_seekPending = false;
        }
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (m_seekReplied)
            m_seekPending = false;
        break;
    default:
        break;
    }
}

} // namespace vantor
