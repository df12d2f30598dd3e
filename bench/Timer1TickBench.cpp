// GUI-thread time of one tick of the main window's Timer1 (draining libmpv's events, then
// MainController::Timer1Timer) with the real player, the real window and the test clip playing. Between
// two measured ticks the event loop runs for a millisecond, as it does between the timer's ticks, so the
// player's wakeups and frames are handled as in the program.
//
//   Timer1TickBench [benchmark options]      (VANTOR_BENCH_CLIP names the clip)
#include "AppAssembly.h"
#include "BenchSupport.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <clocale>

namespace {

using namespace vantor;
using namespace vantor::bench;

void runTicks(benchmark::State& state, bool looping)
{
    ClipCopy clip;
    AppAssembly app;
    app.form.show();
    // This benchmark makes the ticks itself: the window's timer must not come back on the player's news.
    app.controller->setTickRequestHandler({});
    app.form.timer1().stop();
    app.controller->openVideo(clip.path());
    if (!runEventLoopUntil(10, [&] {
            app.player.drainEvents();
            return app.player.isFileLoaded() && app.framesRendered() > 0;
        })) {
        state.SkipWithError("the clip did not load");
        return;
    }
    if (looping) {
        app.controller->session().StartSeconds = 2.0L;
        app.controller->session().EndSeconds = 4.0L;
        app.player.setCurrentPosition(2.0);
    } else {
        app.player.setCurrentPosition(1.0);
    }
    app.player.play();

    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start();
    for (int i = 0; i < 300; ++i)
        loop.exec();

    std::vector<double> costsUs;
    const std::uint64_t seeksBefore = app.player.seeksIssued();
    for (auto _ : state) {
        loop.exec();
        const auto start = std::chrono::steady_clock::now();
        try {
            // The tick takes in the player's events itself, as the window's timer runs it.
            app.controller->Timer1Timer();
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
            break;
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        costsUs.push_back(elapsed.count() * 1e6);
    }
    const Summary summary = summarize(costsUs);
    state.counters["median_us"] = summary.median;
    state.counters["p99_us"] = summary.p99;
    state.counters["max_us"] = summary.max;
    state.counters["wraps"] = static_cast<double>(app.player.seeksIssued() - seeksBefore);
    state.SetLabel("renderer " + app.player.renderer());
    std::printf("figure: Timer1 tick GUI time, %s = median %.1f us, p99 %.1f us, max %.1f us over %zu ticks "
                "(goal median <= 50), renderer %s\n",
        looping ? "segment looping" : "clip playing", summary.median, summary.p99, summary.max, summary.count,
        app.player.renderer().c_str());
    std::fflush(stdout);
}

void BM_Timer1Tick_ClipPlaying(benchmark::State& state)
{
    runTicks(state, false);
}
void BM_Timer1Tick_SegmentLooping(benchmark::State& state)
{
    runTicks(state, true);
}

BENCHMARK(BM_Timer1Tick_ClipPlaying)->UseManualTime()->Iterations(8000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Timer1Tick_SegmentLooping)->UseManualTime()->Iterations(8000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    AppAssembly::prepareApplication();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
