// The whole process's CPU while the real main window sits in the event loop: without a video, with the test
// clip paused, and with it playing. The cost of an idle window is mostly its timer, so this is where a tick
// that runs without need shows.
//
//   IdleCpuBench [SECONDS]      (VANTOR_BENCH_CLIP names the clip; default 10 s a state)
#include "AppAssembly.h"
#include "BenchSupport.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace vantor;
using namespace vantor::bench;

// User plus system CPU of the process in `seconds` of event loop, in percent of one core.
double cpuPercentOver(double seconds)
{
    const double wallBefore = monotonicSeconds();
    const double cpuBefore = processCpuSeconds();
    runEventLoopFor(seconds);
    return (processCpuSeconds() - cpuBefore) / (monotonicSeconds() - wallBefore) * 100;
}

void report(const char* state, double percent, double seconds, TForm1& form)
{
    std::printf("figure: process CPU, %s = %.3f %% of a core over %.0f s (goal <= 0.5 without video and "
                "paused); Timer1 %s at the end\n",
        state, percent, seconds, form.timer1().isActive() ? "ticking" : "idle");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    AppAssembly::prepareApplication();
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    try {
        ClipCopy clip;
        AppAssembly app;
        app.app.show();
        // libmpv starts from the event loop; its start-up is not what is measured.
        runEventLoopUntil(2);
        report("window without video", cpuPercentOver(seconds), seconds, app.form);

        app.controller->openVideo(clip.path());
        if (!runEventLoopUntil(10, [&] { return app.player.isFileLoaded() && app.framesRendered() > 0; })) {
            std::fprintf(stderr, "IdleCpuBench: the clip did not load\n");
            return 1;
        }
        app.player.setCurrentPosition(1.0);
        app.player.play();
        runEventLoopUntil(1);
        app.player.pause();
        runEventLoopUntil(1);
        report("clip paused", cpuPercentOver(seconds), seconds, app.form);

        app.player.play();
        runEventLoopUntil(1);
        report("clip playing", cpuPercentOver(seconds), seconds, app.form);
        app.player.pause();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "IdleCpuBench: %s\n", error.what());
        return 1;
    }
    return 0;
}
