// Measures the document paths at 10,000 entries with the real file system (atomic writes with fsync) and
// the real GBK converter: loading a file for editing up to the edit view, one save of both files, Enter
// from key to both files saved, and one keystroke in entry 5,000 from key to both files saved.
#include "FakeDialogs.h"
#include "FakeFontOptionView.h"
#include "FakeHotKeyService.h"
#include "FakeMainView.h"
#include "FakePlayer.h"
#include "FakeSettingsStore.h"
#include "MainController.h"
#include "MpvPlayer.h"
#include "PosixFileSystem.h"
#include "QtTextCodec.h"
#include "ShortcutHotKeyService.h"
#include "TForm1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace vantor;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kEntries = 10000;

std::string timeCode(long long ms)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld,%03lld", ms / 3600000, ms / 60000 % 60,
        ms / 1000 % 60, ms % 1000);
    return buffer;
}

// A default-styled formatted file of `entries` entries, with GBK Chinese text.
std::string formattedFile(int entries)
{
    const std::string block = "{\\fn\xBA\xDA\xCC\xE5\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>";
    std::string text;
    for (int i = 1; i <= entries; ++i) {
        const long long start = static_cast<long long>(i) * 2000;
        text += std::to_string(i) + "\r\n" + timeCode(start) + " --> " + timeCode(start + 1500) + "\r\n"
            + block + "Line " + std::to_string(i) + " \xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7</b>\r\n\r\n";
    }
    return text;
}

void writeFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

struct Figures {
    double median, p99, max;
};

Figures measure(int runs, const std::function<void()>& once)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        once();
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(samples.begin(), samples.end());
    return { samples[samples.size() / 2], samples[std::min(samples.size() - 1, samples.size() * 99 / 100)],
        samples.back() };
}

void report(const char* what, const Figures& f, const char* goal)
{
    std::printf("%-58s median %7.2f ms  p99 %7.2f ms  max %7.2f ms   (goal: %s)\n", what, f.median, f.p99,
        f.max, goal);
}

// The core with the real files and codec, a recording view and a fake player, on a loaded document.
struct CoreRig {
    test::FakeMainView view;
    test::FakePlayer player;
    test::FakeDialogs dialogs;
    PosixFileSystem files;
    QtTextCodec codec;
    test::FakeHotKeyService hotKeys;
    test::FakeSettingsStore settings;
    test::FakeFontOptionViewFactory fontViews;
    MainController controller { { view, player, dialogs, files, codec, hotKeys, settings, fontViews } };

    explicit CoreRig(const QString& video)
    {
        controller.FormCreate();
        controller.FormShow();
        dialogs.answerYes = true;
        controller.OpenVideo(video.toStdString());
        controller.Timer1Timer();
    }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv(
        "QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QTemporaryDir folder(QDir::currentPath() + "/vantor-bench-XXXXXX");
    const QString video = folder.filePath("clip.mp4");
    writeFile(video, "not played here");
    const std::string file = formattedFile(kEntries);
    std::printf(
        "document: %d entries, %zu bytes, folder %s\n", kEntries, file.size(), qPrintable(folder.path()));

    // Loading for editing, up to the plain view filled in the real (offscreen) window; only the open is
    // timed, not building the window.
    std::vector<double> loads;
    for (int run = 0; run < 10; ++run) {
        writeFile(folder.filePath("clip.srt"), file);
        MpvPlayer player(MpvPlayer::Options { "null" });
        test::FakeDialogs dialogs;
        dialogs.answerYes = true;
        PosixFileSystem files;
        QtTextCodec codec;
        TForm1 form(player, dialogs);
        ShortcutHotKeyService hotKeys(form);
        test::FakeSettingsStore settings;
        test::FakeFontOptionViewFactory fontViews;
        MainController controller({ form, player, dialogs, files, codec, hotKeys, settings, fontViews });
        form.attach(controller);
        controller.FormCreate();
        const auto start = Clock::now();
        controller.OpenVideo(video.toStdString());
        QApplication::processEvents();
        loads.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        form.close();
    }
    std::sort(loads.begin(), loads.end());
    report("open + load 10,000 entries to the edit view (window)",
        { loads[loads.size() / 2], loads.back(), loads.back() }, "<= 150 ms");

    writeFile(folder.filePath("clip.srt"), file);
    CoreRig rig(video);
    report("one save of both files",
        measure(200,
            [&] {
                rig.controller.fileSet().SaveFormattedFile();
                rig.controller.fileSet().SavePlainFile();
                rig.controller.fileSet().flushSaves();
            }),
        "median <= 5 ms");

    // Keystrokes in the text line of entry 5,000: key-down, the edit, key-up.
    const std::size_t line = 4 * 4999 + 2;
    std::string text = rig.codec.decode(rig.controller.documents().PlainDocument.line(line), CodePage::Gbk);
    rig.view.caretLine = static_cast<int>(line);
    report("keystroke in entry 5,000, key to both files saved",
        measure(500,
            [&] {
                rig.view.caretColumn = 3;
                rig.controller.UserRichEditKeyDown('a', false);
                text.insert(3, "a");
                rig.controller.PlainLineEdited(line, text);
                rig.controller.UserRichEditKeyDown('a', true);
            }),
        "median <= 5 ms, p99 <= 20 ms");

    // Enter: F8 to capture after the last entry, then F10 + text each round; only Enter is timed.
    rig.controller.ContinueButtonClick();
    double position = 20002.0;
    std::vector<double> samples;
    for (int i = 0; i < 300; ++i) {
        position += 1.5;
        rig.player.position = position;
        rig.hotKeys.press(HotKey::F10);
        rig.view.texts[Control::InputEdit] = "新的一句 " + std::to_string(i);
        const auto start = Clock::now();
        rig.controller.InputEditKeyDown(keys::kEnter);
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(samples.begin(), samples.end());
    report("Enter on 10,000 entries, key to both files saved",
        { samples[samples.size() / 2], samples[samples.size() * 99 / 100], samples.back() },
        "median <= 5 ms");
    if (!rig.dialogs.errors.empty())
        std::printf("errors reported: %s\n", rig.dialogs.errors.front().c_str());
    return 0;
}
