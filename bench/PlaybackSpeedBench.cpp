// The whole process's CPU while the real main window plays the test clip at 1.0×, 0.5× and 2.0× (set with
// the speed keys' handlers; mpv keeps the pitch with scaletempo2), and the media seconds that pass per
// second of the wall clock at each rate.
//
//   PlaybackSpeedBench [SECONDS]      (VANTOR_BENCH_CLIP names the clip; default 8 s a rate)
#include "AppAssembly.h"
#include "BenchSupport.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace vantor;
using namespace vantor::bench;

void measure(AppAssembly& app, double seconds)
{
    app.player.setCurrentPosition(1.0);
    app.player.play();
    runEventLoopUntil(1);
    const double wallBefore = monotonicSeconds();
    const double cpuBefore = processCpuSeconds();
    const double positionBefore = app.player.currentPosition();
    runEventLoopFor(seconds);
    const double wall = monotonicSeconds() - wallBefore;
    const double cpu = processCpuSeconds() - cpuBefore;
    const double media = app.player.currentPosition() - positionBefore;
    std::printf(
        "figure: playing at %.1fx: process CPU %.2f %% of a core, %.3f media s per wall s, over %.1f s\n",
        app.player.speed(), cpu / wall * 100, media / wall, wall);
    std::fflush(stdout);
    app.player.pause();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    AppAssembly::prepareApplication();
    // The clip is 30 s long: at 2.0× a longer run would reach its end.
    const double seconds = argc > 1 ? std::atof(argv[1]) : 8.0;
    try {
        ClipCopy clip;
        AppAssembly app;
        app.app.show();
        runEventLoopUntil(2);
        app.controller->openVideo(clip.path());
        if (!runEventLoopUntil(10, [&] { return app.player.isFileLoaded() && app.framesRendered() > 0; })) {
            std::fprintf(stderr, "PlaybackSpeedBench: the clip did not load\n");
            return 1;
        }
        measure(app, seconds);
        for (int i = 0; i < 5; ++i)
            app.controller->slowerPlayback();
        measure(app, seconds);
        app.controller->normalPlayback();
        for (int i = 0; i < 10; ++i)
            app.controller->fasterPlayback();
        measure(app, seconds);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "PlaybackSpeedBench: %s\n", error.what());
        return 1;
    }
    return 0;
}
