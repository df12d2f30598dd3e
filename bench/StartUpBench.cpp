// Time from the start of the program to the first paint of its main window and to the first video frame
// on screen, each run in a fresh process. The child builds the program's objects in main()'s order
// (AppAssembly) and opens the clip as main() does with a video argument.
//
//   StartUpBench [RUNS]          parent: starts RUNS (10) children one after the other, prints the figures
//   StartUpBench --child CLIP    one start-up; prints steady-clock stamps
#include "AppAssembly.h"
#include "BenchSupport.h"
#include "ChildRun.h"

#include <QApplication>
#include <QPaintEvent>

#include <clocale>
#include <cstring>
#include <map>
#include <sstream>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace vantor;
using namespace vantor::bench;

// Notes the first paint of the main window, and the first paint of the video surface that shows a frame.
class PaintWatch : public QObject {
public:
    PaintWatch(AppAssembly& app)
        : m_app(app)
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            if (watched == &m_app.form && firstPaint == 0) {
                firstPaint = monotonicSeconds();
                // After the paint handler the backing store goes to the X server; the next turn of the
                // event loop comes after that.
                QTimer::singleShot(0, this, [this] { firstPaintFlushed = monotonicSeconds(); });
            }
            if (watched == m_app.videoWidget() && firstFrame == 0 && m_app.framesRendered() > 0)
                firstFrame = monotonicSeconds();
        }
        return false;
    }
    double firstPaint = 0;
    double firstPaintFlushed = 0;
    double firstFrame = 0;

private:
    AppAssembly& m_app;
};

int child(int argc, char* argv[], const char* clip)
{
    const double mainEntered = monotonicSeconds();
    QApplication application(argc, argv);
    AppAssembly::prepareApplication();
    const double applicationMade = monotonicSeconds();
    try {
        AppAssembly app;
        PaintWatch watch(app);
        app.form.installEventFilter(&watch);
        app.videoWidget()->installEventFilter(&watch);
        app.form.show();
        const double shown = monotonicSeconds();
        app.app.openVideoAtStart(clip);
        const double opened = monotonicSeconds();
        runEventLoopUntil(10, [&] { return watch.firstPaintFlushed > 0 && watch.firstFrame > 0; });
        std::printf("main %.6f\napplication %.6f\nplayer %.6f\nform %.6f\nassembled %.6f\nshown %.6f\nopened "
                    "%.6f\npaint %.6f\nflushed %.6f\nframe %.6f\nrenderer %s\n",
            mainEntered, applicationMade, app.stamps.playerMade, app.stamps.formMade, app.stamps.done, shown,
            opened, watch.firstPaint, watch.firstPaintFlushed, watch.firstFrame,
            app.player.renderer().c_str());
        std::fflush(stdout);
        app.form.close();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "StartUpBench: %s\n", error.what());
        return 1;
    }
    return 0;
}

int parent(int runs)
{
    // Differences between two stamps of a run, in milliseconds.
    struct Step {
        const char* name;
        const char* from;
        const char* to;
    };
    const Step steps[] = {
        { "start to main()", "spawn", "main" },
        { "QApplication", "main", "application" },
        { "MpvPlayer", "application", "player" },
        { "TForm1 (with the video surface)", "player", "form" },
        { "hot keys, MainController, FormCreate", "form", "assembled" },
        { "show()", "assembled", "shown" },
        { "open the clip", "shown", "opened" },
        { "to the first paint event", "opened", "paint" },
        { "start to first paint of the window", "spawn", "paint" },
        { "start to first paint, flushed", "spawn", "flushed" },
        { "start to first video frame painted", "spawn", "frame" },
    };
    std::map<std::string, std::vector<double>> values;
    std::string renderer;
    for (int run = 0; run < runs; ++run) {
        const ClipCopy clip;
        const auto stamps = runChild("StartUpBench", clip.path());
        renderer = stamps.count("renderer") ? stamps.at("renderer") : "?";
        std::printf("run %2d:", run + 1);
        for (const Step& step : steps) {
            const double from = std::atof(stamps.count(step.from) ? stamps.at(step.from).c_str() : "0");
            const double to = std::atof(stamps.count(step.to) ? stamps.at(step.to).c_str() : "0");
            const double ms = (from > 0 && to > 0) ? (to - from) * 1e3 : -1;
            values[step.name].push_back(ms);
            std::printf(" %.1f", ms);
        }
        std::printf("\n");
    }
    std::printf("steps (ms over %d fresh processes, renderer %s):\n", runs, renderer.c_str());
    for (const Step& step : steps) {
        const Summary summary = summarize(values[step.name]);
        std::printf("  %-40s median %7.1f  max %7.1f\n", step.name, summary.median, summary.max);
    }
    const Summary paint = summarize(values["start to first paint of the window"]);
    const Summary flushed = summarize(values["start to first paint, flushed"]);
    const Summary frame = summarize(values["start to first video frame painted"]);
    std::printf(
        "figure: start to first paint of the main window = median %.1f ms, max %.1f ms (goal <= 400)\n",
        paint.median, paint.max);
    std::printf(
        "figure: start to first paint flushed = median %.1f ms, max %.1f ms\n", flushed.median, flushed.max);
    std::printf("figure: start to first video frame painted = median %.1f ms, max %.1f ms\n", frame.median,
        frame.max);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv, argv[2]);
    try {
        return parent(argc > 1 ? std::atoi(argv[1]) : 10);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "StartUpBench: %s\n", error.what());
        return 1;
    }
}
