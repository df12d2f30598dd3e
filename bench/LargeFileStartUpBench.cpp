// Time from the start of the program to a large subtitle file shown in the edit view, each run in a fresh
// process: the child builds the program as main() does, opens the clip beside a formatted file of ENTRIES
// entries (100,000 by default, 9.8 MiB) and answers Yes to editing it. "Shown" is the first paint of the
// plain view holding the file, flushed to the X server; the first video frame painted and the process's
// peak memory are reported beside it.
//
//   LargeFileStartUpBench [RUNS] [ENTRIES]      parent: RUNS (6) fresh processes, prints the figures
//   LargeFileStartUpBench --child CLIP          one start-up; prints steady-clock stamps
#include "Application.h"
#include "BenchSupport.h"
#include "ChildRun.h"
#include "FakeDialogs.h"
#include "FakeSettingsStore.h"
#include "MpvVideoSurface.h"

#include <QApplication>
#include <QPlainTextEdit>

#include <cstring>
#include <map>
#include <sstream>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace vantor;
using namespace vantor::bench;

// Notes the first paint of the plain view once it holds the loaded file, and the first painted frame.
class ShownWatch : public QObject {
public:
    ShownWatch(QPlainTextEdit& plain, QWidget& video)
        : m_plain(plain)
        , m_video(video)
    {
        plain.viewport()->installEventFilter(this);
        video.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        if (watched == m_plain.viewport() && shown == 0 && m_plain.isVisible()
            && m_plain.document()->blockCount() > 1) {
            shown = monotonicSeconds();
            QTimer::singleShot(0, this, [this] { shownFlushed = monotonicSeconds(); });
        }
        const auto* surface = dynamic_cast<const MpvVideoSurface*>(&m_video);
        if (watched == &m_video && firstFrame == 0 && surface && surface->framesRendered() > 0)
            firstFrame = monotonicSeconds();
        return false;
    }
    double shown = 0;
    double shownFlushed = 0;
    double firstFrame = 0;

private:
    QPlainTextEdit& m_plain;
    QWidget& m_video;
};

long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    }
    return 0;
}

int child(int argc, char* argv[], const char* clip)
{
    const double mainEntered = monotonicSeconds();
    QApplication application(argc, argv);
    Application::prepareProcess();
    try {
        test::FakeDialogs dialogs;
        dialogs.answerYes = true;
        test::FakeSettingsStore settings;
        Application program({ .dialogs = &dialogs, .settings = &settings });
        auto* plain = program.window().findChild<QPlainTextEdit*>(QStringLiteral("UserRichEdit"));
        auto* video = program.window().findChild<QWidget*>(QStringLiteral("WP"));
        if (!plain || !video)
            throw std::runtime_error("no plain view or video surface");
        ShownWatch watch(*plain, *video);
        program.show();
        const double shown = monotonicSeconds();
        // As main() opens its argument: once the player has started.
        double opened = 0;
        program.openVideoAtStart(clip);
        program.player().whenStarted([&] { opened = monotonicSeconds(); });
        runEventLoopUntil(10, [&] { return watch.shownFlushed > 0 && watch.firstFrame > 0; });
        if (!dialogs.errors.empty())
            throw std::runtime_error(dialogs.errors.front());
        std::printf(
            "main %.6f\nwindow %.6f\nopened %.6f\nplain %.6f\nflushed %.6f\nframe %.6f\npeak %ld\nlines "
            "%d\n",
            mainEntered, shown, opened, watch.shown, watch.shownFlushed, watch.firstFrame, peakResidentKiB(),
            static_cast<int>(program.controller().documents().PlainDocument.lineCount()));
        std::fflush(stdout);
        program.window().close();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "LargeFileStartUpBench: %s\n", error.what());
        return 1;
    }
    return 0;
}

int parent(int runs, int entries)
{
    struct Step {
        const char* name;
        const char* from;
        const char* to;
    };
    const Step steps[] = {
        { "start to main()", "spawn", "main" },
        { "main() to the window shown", "main", "window" },
        { "window shown to the player started, file loaded", "window", "opened" },
        { "to the plain view's first paint", "opened", "plain" },
        { "start to the file shown", "spawn", "plain" },
        { "start to the file shown, flushed", "spawn", "flushed" },
        { "start to the first video frame painted", "spawn", "frame" },
    };
    const std::string file = formattedSubtitleFile(entries);
    std::map<std::string, std::vector<double>> values;
    std::vector<double> peaks;
    std::string lines;
    for (int run = 0; run < runs; ++run) {
        const ClipCopy clip;
        const std::string path = clip.path();
        QFile srt(QString::fromStdString(path.substr(0, path.size() - 4) + ".srt"));
        if (!srt.open(QIODevice::WriteOnly) || srt.write(file.data(), static_cast<qint64>(file.size())) < 0)
            throw std::runtime_error("cannot write the subtitle file");
        srt.close();
        const auto stamps = runChild("LargeFileStartUpBench", path);
        lines = stamps.count("lines") ? stamps.at("lines") : "?";
        std::printf("run %d:", run + 1);
        for (const Step& step : steps) {
            const double from = std::atof(stamps.count(step.from) ? stamps.at(step.from).c_str() : "0");
            const double to = std::atof(stamps.count(step.to) ? stamps.at(step.to).c_str() : "0");
            const double ms = (from > 0 && to > 0) ? (to - from) * 1e3 : -1;
            values[step.name].push_back(ms);
            std::printf(" %.1f", ms);
        }
        peaks.push_back(std::atof(stamps.count("peak") ? stamps.at("peak").c_str() : "0") / 1024.0);
        std::printf("\n");
    }
    std::printf("steps (ms over %d fresh processes, %d entries = %zu bytes, %s plain lines):\n", runs,
        entries, file.size(), lines.c_str());
    for (const Step& step : steps) {
        const Summary summary = summarize(values[step.name]);
        std::printf("  %-42s median %7.1f  max %7.1f\n", step.name, summary.median, summary.max);
    }
    const Summary shown = summarize(values["start to the file shown, flushed"]);
    const Summary peak = summarize(peaks);
    std::printf("figure: start to the %d-entry file shown = median %.1f ms, max %.1f ms (goal <= 1000)\n",
        entries, shown.median, shown.max);
    std::printf("figure: peak resident memory = median %.1f MiB, max %.1f MiB\n", peak.median, peak.max);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv, argv[2]);
    try {
        return parent(argc > 1 ? std::atoi(argv[1]) : 6, argc > 2 ? std::atoi(argv[2]) : 100000);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "LargeFileStartUpBench: %s\n", error.what());
        return 1;
    }
}
