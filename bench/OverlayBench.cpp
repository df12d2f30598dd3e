// Measures the subtitles drawn on the picture with the real program (window, player, files) and a
// 10,000-entry subtitle file beside the test clip, loaded for editing:
//  - GUI-thread time of one overlay update after an edit in edit mode and after an entry is appended (the
//    formatted document read again, the entries at the position converted and handed to the player), and the
//    whole keystroke and Enter for comparison;
//  - the time from that update to the first frame the video surface renders after it, paused;
//  - the overlay's share of a tick (the call made at every tick while the position moves);
//  - the process's CPU while a segment loops with the overlay shown and hidden, interleaved in one run.
// Run it on a real X server (Xvfb) so the real renderer choice is made.
//
//   OverlayBench      (VANTOR_BENCH_CLIP names the clip)
#include "AnsweringProgram.h"
#include "AppAssembly.h"
#include "BenchSupport.h"
#include "ports/Keys.h"

#include <QApplication>

#include <cstdio>

namespace {

using namespace vantor;
using namespace vantor::bench;

constexpr int kEntries = 10000;

double millisecondsSince(double start)
{
    return (monotonicSeconds() - start) * 1e3;
}

void printSummary(const char* what, const Summary& summary, const char* unit)
{
    std::printf("figure: %s = median %.3f %s, p99 %.3f %s, max %.3f %s (%zu samples)\n", what, summary.median,
        unit, summary.p99, unit, summary.max, unit, summary.count);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    Application::prepareProcess();
    try {
        ClipCopy clip;
        const std::string srtPath = clip.path().substr(0, clip.path().size() - 4) + ".srt";
        {
            QFile file(QString::fromStdString(srtPath));
            const std::string bytes = formattedSubtitleFile(kEntries);
            if (!file.open(QIODevice::WriteOnly)
                || file.write(bytes.data(), static_cast<qint64>(bytes.size()))
                    != static_cast<qint64>(bytes.size()))
                throw std::runtime_error("cannot write " + srtPath);
        }
        AnsweringProgram program;
        Application& app = program.app;
        app.show();
        MainController& controller = app.controller();
        MpvPlayer& player = app.player();
        const auto framesRendered = [&] {
            const auto* surface = dynamic_cast<const MpvVideoSurface*>(
                app.window().findChild<QWidget*>(QStringLiteral("WP")));
            return surface ? surface->framesRendered() : 0;
        };
        controller.openVideo(clip.path());
        if (!runEventLoopUntil(10, [&] { return player.isFileLoaded() && framesRendered() > 0; }))
            throw std::runtime_error("the clip did not load: " + player.status());
        // Stand paused inside entry 3 (6.0-7.5 s).
        player.setCurrentPosition(6.5);
        player.pause();
        runEventLoopUntil(1.0);
        SubtitleOverlay& overlay = controller.overlay();
        std::printf("platform %s, renderer \"%s\", %zu entries read\n",
            qPrintable(QGuiApplication::platformName()), player.renderer().c_str(), overlay.cues().size());

        TextDocument& formatted = controller.documents().FormattedDocument;
        const std::size_t textLine = 4 * 2 + 2; // entry 3's text line
        const std::string block
            = formatted.line(textLine).substr(0, formatted.line(textLine).find("<b>") + 3);
        const auto position = [&] { return player.currentPosition(); };

        // The overlay update as an action ends: the document changed, the entries at the position differ.
        std::vector<double> editUpdateMs, appendUpdateMs, toFrameMs, keystrokeMs, enterMs;
        for (int i = 0; i < 200; ++i) {
            formatted.replace(textLine, block + "Edited " + std::to_string(i) + "</b>");
            const int frames = framesRendered();
            const double start = monotonicSeconds();
            overlay.show(position);
            editUpdateMs.push_back(millisecondsSince(start));
            if (runEventLoopUntil(1.0, [&] { return framesRendered() > frames; }))
                toFrameMs.push_back(millisecondsSince(start));
        }
        for (int i = 0; i < 100; ++i) {
            // An entry appended over the position (as Enter appends), then taken away again.
            formatted.append(std::to_string(kEntries + 1));
            formatted.append("00:00:06,400 --> 00:00:06,900");
            formatted.append(block + "Appended " + std::to_string(i) + "</b>");
            formatted.append(std::string());
            double start = monotonicSeconds();
            overlay.show(position);
            appendUpdateMs.push_back(millisecondsSince(start));
            for (int line = 0; line < 4; ++line)
                formatted.remove(formatted.lineCount() - 1);
            start = monotonicSeconds();
            overlay.show(position);
            appendUpdateMs.push_back(millisecondsSince(start));
        }
        controller.refreshPlainView();

        // The whole keystroke in the plain view (both files saved), for comparison.
        for (int i = 0; i < 50; ++i) {
            const double start = monotonicSeconds();
            controller.plainLineEdited(textLine, "Typed " + std::to_string(i));
            keystrokeMs.push_back(millisecondsSince(start));
            runEventLoopUntil(0.005);
        }

        // The overlay's part of a tick while the position moves through entries 1-5, edges included.
        std::vector<double> tickNs;
        for (double seconds = 2.0; seconds < 12.0; seconds += 0.001) {
            const double start = monotonicSeconds();
            overlay.show([seconds] { return seconds; });
            tickNs.push_back((monotonicSeconds() - start) * 1e9);
        }

        // The whole Enter at 10,000 entries, for comparison: F8, then F9, F10 and Enter over and over.
        controller.ContinueButtonClick();
        player.setCurrentPosition(20.0);
        runEventLoopUntil(0.3);
        for (int i = 0; i < 20; ++i) {
            controller.StartTimeButtonClick();
            runEventLoopUntil(0.05);
            controller.EndTimeButtonClick();
            app.window().setText(Control::InputEdit, "Entry typed " + std::to_string(i));
            const double start = monotonicSeconds();
            controller.InputEditKeyDown(keys::kEnter);
            enterMs.push_back(millisecondsSince(start));
            runEventLoopUntil(0.05);
        }

        // CPU while a segment that holds entries loops: shown and hidden in turn, 4 × 5 s each.
        controller.session().StartSeconds = 2.0L;
        controller.session().EndSeconds = 4.0L;
        player.setCurrentPosition(2.0);
        player.play();
        runEventLoopUntil(1.0);
        double cpuShown = 0, cpuHidden = 0, wallShown = 0, wallHidden = 0;
        for (int round = 0; round < 8; ++round) {
            const bool shown = round % 2 == 0;
            if (overlay.visible() != shown)
                controller.toggleOverlay();
            runEventLoopFor(0.5);
            const double cpu = processCpuSeconds();
            const double wall = monotonicSeconds();
            runEventLoopFor(5.0);
            (shown ? cpuShown : cpuHidden) += processCpuSeconds() - cpu;
            (shown ? wallShown : wallHidden) += monotonicSeconds() - wall;
        }

        printSummary(
            "overlay update after an edit at 10,000 entries, GUI time", summarize(editUpdateMs), "ms");
        printSummary("overlay update after an entry appended or removed at 10,000 entries, GUI time",
            summarize(appendUpdateMs), "ms");
        printSummary("overlay update to the next frame rendered, paused", summarize(toFrameMs), "ms");
        std::printf("  (%zu of %zu updates were followed by a frame within 1 s)\n", toFrameMs.size(),
            editUpdateMs.size());
        printSummary("overlay's part of a tick, position moving through entries", summarize(tickNs), "ns");
        printSummary("whole keystroke in the plain view, both files saved", summarize(keystrokeMs), "ms");
        printSummary("whole Enter, both files saved", summarize(enterMs), "ms");
        std::printf(
            "figure: process CPU looping 2.0-4.0 s: overlay shown %.2f %%, hidden %.2f %%, ratio %.3f\n",
            cpuShown / wallShown * 100, cpuHidden / wallHidden * 100,
            (cpuShown / wallShown) / (cpuHidden / wallHidden));
        std::fflush(stdout);
        app.window().close();
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "OverlayBench: %s\n", error.what());
        return 1;
    }
}
