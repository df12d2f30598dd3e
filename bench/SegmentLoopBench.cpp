// Measures the real main window while a 2 s segment of the test clip loops: the largest gap between two
// ticks of Timer1, the whole process's CPU, the loop's overshoot past the end mark at each wrap and the
// GUI-thread time of each tick. Run it on a real X server (Xvfb) so the real renderer choice is made.
//
//   SegmentLoopBench [LOOP_SECONDS]      (VANTOR_BENCH_CLIP names the clip; default loop 20 s)
#include "AppAssembly.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QTimerEvent>

#include <clocale>
#include <cmath>
#include <map>

#include <time.h>

namespace {

using namespace vantor;
using namespace vantor::bench;

// Thread CPU seconds of the calling thread.
double threadCpuSeconds()
{
    timespec time {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return time.tv_sec + time.tv_nsec / 1e9;
}

// What happened inside the largest gap between two ticks: the GUI thread's CPU time in it, the time spent
// in the (top-level) events it handled, and the longest of them. Little CPU in a long gap means the
// thread was not running at all (descheduled, or waiting in the kernel).
struct GapAnatomy {
    double gapMs = 0;
    double threadCpuMs = 0;
    double eventsMs = 0;
    int events = 0;
    double longestEventMs = 0;
    std::string longestEvent;
};

// Times every delivery of Timer1's timer event: its start, and the GUI-thread time it takes (the
// window's tick: draining libmpv's events and MainController::Timer1Timer), and dissects the largest gap.
class TickMeterApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (receiver != m_timer || event->type() != QEvent::Timer) {
            if (!m_recording || m_depth > 0)
                return QApplication::notify(receiver, event);
            ++m_depth;
            const int type = event->type();
            // The receiver may be gone afterwards (a single-shot timer deletes itself in its event).
            const char* className = receiver->metaObject()->className();
            const double start = monotonicSeconds();
            const bool handled = QApplication::notify(receiver, event);
            const double ms = (monotonicSeconds() - start) * 1e3;
            --m_depth;
            m_current.eventsMs += ms;
            ++m_current.events;
            if (ms > m_current.longestEventMs) {
                m_current.longestEventMs = ms;
                m_current.longestEvent = std::string(className) + ", event type " + std::to_string(type);
            }
            return handled;
        }
        const double start = monotonicSeconds();
        const double cpu = threadCpuSeconds();
        const bool handled = QApplication::notify(receiver, event);
        const double end = monotonicSeconds();
        if (m_recording) {
            if (m_lastStart > 0) {
                const double gapMs = (start - m_lastStart) * 1e3;
                m_gapsMs.push_back(gapMs);
                if (gapMs > m_largestGap.gapMs) {
                    m_largestGap = m_current;
                    m_largestGap.gapMs = gapMs;
                    m_largestGap.threadCpuMs = (cpu - m_lastCpu) * 1e3;
                }
            }
            m_costsUs.push_back((end - start) * 1e6);
            if (m_afterTick)
                m_afterTick();
        }
        m_lastStart = start;
        m_lastCpu = cpu;
        m_current = {};
        return handled;
    }

    void watch(QObject* timer, std::function<void()> afterTick)
    {
        m_timer = timer;
        m_afterTick = std::move(afterTick);
    }
    void startRecording()
    {
        m_gapsMs.clear();
        m_costsUs.clear();
        m_lastStart = 0;
        m_largestGap = {};
        m_current = {};
        m_recording = true;
    }
    void stopRecording() { m_recording = false; }
    const std::vector<double>& gapsMs() const { return m_gapsMs; }
    const std::vector<double>& costsUs() const { return m_costsUs; }
    const GapAnatomy& largestGap() const { return m_largestGap; }

private:
    QObject* m_timer = nullptr;
    std::function<void()> m_afterTick;
    bool m_recording = false;
    int m_depth = 0;
    double m_lastStart = 0;
    double m_lastCpu = 0;
    std::vector<double> m_gapsMs;
    std::vector<double> m_costsUs;
    GapAnatomy m_current;
    GapAnatomy m_largestGap;
};

struct PhaseResult {
    GapAnatomy largestGap;
    double seconds = 0;
    double cpuPercent = 0;
    Summary gapsMs;
    Summary costsUs;
};

PhaseResult measurePhase(TickMeterApplication& application, double seconds)
{
    application.startRecording();
    const double cpuBefore = processCpuSeconds();
    const double wallBefore = monotonicSeconds();
    runEventLoopFor(seconds);
    PhaseResult result;
    result.seconds = monotonicSeconds() - wallBefore;
    result.cpuPercent = (processCpuSeconds() - cpuBefore) / result.seconds * 100;
    application.stopRecording();
    result.gapsMs = summarize(application.gapsMs());
    result.costsUs = summarize(application.costsUs());
    result.largestGap = application.largestGap();
    return result;
}

void printPhase(const char* name, const PhaseResult& phase)
{
    std::printf("%s: %.1f s, %zu ticks (%.0f a second)\n", name, phase.seconds, phase.costsUs.count,
        phase.costsUs.count / phase.seconds);
    std::printf("  gap between ticks: median %.3f ms, p99 %.3f ms, max %.3f ms\n", phase.gapsMs.median,
        phase.gapsMs.p99, phase.gapsMs.max);
    std::printf("  GUI time of a tick: median %.1f us, p99 %.1f us, max %.1f us\n", phase.costsUs.median,
        phase.costsUs.p99, phase.costsUs.max);
    const GapAnatomy& gap = phase.largestGap;
    std::printf(
        "  largest gap %.3f ms: GUI thread CPU %.3f ms in it; %d events took %.3f ms, the longest %.3f ms "
        "(%s)\n",
        gap.gapMs, gap.threadCpuMs, gap.events, gap.eventsMs, gap.longestEventMs,
        gap.longestEvent.empty() ? "none" : gap.longestEvent.c_str());
    std::printf("  process CPU: %.1f %% of one core\n", phase.cpuPercent);
}

} // namespace

int main(int argc, char* argv[])
{
    TickMeterApplication application(argc, argv);
    AppAssembly::prepareApplication();
    const double loopSeconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    constexpr long double kStart = 2.0L;
    constexpr long double kEnd = 4.0L;

    try {
        ClipCopy clip;
        AppAssembly app;
        app.form.show();
        std::uint64_t seeksSeen = 0;
        std::vector<double> overshootsMs;
        application.watch(&app.form.timer1(), [&] {
            // A seek during the loop is a wrap; the tick that made it has just set WrapSeconds.
            const std::uint64_t seeks = app.player.seeksIssued();
            if (seeks != seeksSeen) {
                seeksSeen = seeks;
                overshootsMs.push_back(static_cast<double>(app.controller->session().WrapSeconds
                                           - app.controller->session().EndSeconds)
                    * 1e3);
            }
        });
        runEventLoopUntil(1.0);
        std::printf("platform %s, renderer \"%s\", window %dx%d, video panel %dx%d\n",
            qPrintable(QGuiApplication::platformName()), app.player.renderer().c_str(), app.form.width(),
            app.form.height(), app.form.videoPanelWidth(), app.form.videoPanelHeight());
        const PhaseResult idle = measurePhase(application, 5);
        printPhase("window without video", idle);

        app.controller->openVideo(clip.path());
        if (!runEventLoopUntil(10, [&] { return app.player.isFileLoaded() && app.framesRendered() > 0; }))
            throw std::runtime_error("the clip did not load: " + app.player.status());
        app.player.setCurrentPosition(6.0);
        app.player.play();
        runEventLoopUntil(0.5);
        const PhaseResult playing = measurePhase(application, 5);
        printPhase("clip playing, no loop", playing);

        app.controller->session().StartSeconds = kStart;
        app.controller->session().EndSeconds = kEnd;
        app.player.setCurrentPosition(static_cast<double>(kStart));
        runEventLoopUntil(1.0);
        seeksSeen = app.player.seeksIssued();
        overshootsMs.clear();
        const int framesBefore = app.framesRendered();
        const PhaseResult looping = measurePhase(application, loopSeconds);
        const int frames = app.framesRendered() - framesBefore;
        printPhase("segment 2.0-4.0 s looping", looping);
        std::printf("  frames rendered: %d (%.1f a second)\n", frames, frames / looping.seconds);

        // The same clip with the same video output and no window behaviour: Timer1 stopped and kept from
        // starting again, so that only libmpv and the video surface run: what mpv itself costs.
        app.controller->setTickRequestHandler({});
        app.form.timer1().stop();
        app.controller->session().StartSeconds = 0;
        app.controller->session().EndSeconds = 0;
        app.player.setCurrentPosition(6.0);
        app.player.play();
        runEventLoopUntil(0.5, [&] {
            app.player.drainEvents();
            return false;
        });
        const double mpvCpuBefore = processCpuSeconds();
        const double mpvWallBefore = monotonicSeconds();
        runEventLoopFor(std::min(loopSeconds, 10.0));
        const double mpvAlone
            = (processCpuSeconds() - mpvCpuBefore) / (monotonicSeconds() - mpvWallBefore) * 100;

        const Summary overshoot = summarize(overshootsMs);
        std::map<long, int> histogram;
        for (const double value : overshootsMs)
            ++histogram[std::lround(value)];
        std::printf(
            "  wraps: %zu, overshoot past the end mark (WrapSeconds - EndSeconds): min %.3f ms, median "
            "%.3f ms, max %.3f ms\n",
            overshoot.count,
            overshootsMs.empty() ? 0.0 : *std::min_element(overshootsMs.begin(), overshootsMs.end()),
            overshoot.median, overshoot.max);
        std::printf("  overshoot distribution (ms: wraps):");
        for (const auto& [ms, count] : histogram)
            std::printf(" %ld: %d", ms, count);
        std::printf("\n");

        std::printf("figure: renderer = %s\n", app.player.renderer().c_str());
        std::printf(
            "figure: largest gap between ticks while looping = %.2f ms (goal <= 20)\n", looping.gapsMs.max);
        std::printf("figure: p99 gap between ticks while looping = %.2f ms\n", looping.gapsMs.p99);
        std::printf(
            "figure: process CPU while looping = %.1f %% of one core (goal <= 10)\n", looping.cpuPercent);
        std::printf("figure: process CPU, clip playing without loop = %.1f %%\n", playing.cpuPercent);
        std::printf(
            "figure: process CPU, libmpv alone playing the clip into the same surface = %.1f %%; looping "
            "costs %.2f times that (goal <= 1.3)\n",
            mpvAlone, looping.cpuPercent / mpvAlone);
        std::printf("figure: process CPU, window without video = %.1f %%\n", idle.cpuPercent);
        std::printf("figure: tick GUI time while looping = median %.1f us, p99 %.1f us\n",
            looping.costsUs.median, looping.costsUs.p99);
        std::printf("figure: loop overshoot = max %.1f ms, median %.1f ms over %zu wraps (goal <= 40)\n",
            overshoot.max, overshoot.median, overshoot.count);
        std::fflush(stdout);
        app.form.close();
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "SegmentLoopBench: %s\n", error.what());
        return 1;
    }
}
