// Bad input met by the whole program: the real window, player, files, code page and settings store,
// assembled as main() assembles them; only the dialogs are recorded, so that each case says exactly what the
// user is shown. Every case states what the user sees and checks that nothing on disk was lost or torn.
#include "../platform/FileTestSupport.h"
#include "FakeDialogs.h"
#include "IniSettingsStore.h"
#include "MainController.h"
#include "MpvPlayer.h"
#include "PosixFileSystem.h"
#include "QtTextCodec.h"
#include "ShortcutHotKeyService.h"
#include "TFontOptionForm.h"
#include "TForm1.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

// The default style block of a formatted text line, in GBK ("黑体" is BA DA CC E5) and in UTF-8.
const std::string kBlock = "{\\fn\xBA\xDA\xCC\xE5\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>";
const std::string kUtf8Block = "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>";
const std::string kUtf8Bom = "\xEF\xBB\xBF";
const std::string kSaveFailureNote = "\n字幕仍在内存中，下一次修改时会再次保存。";
const std::string kRefusedFileNote = "\n字幕文件没有打开，也没有被改动。";

std::string mediaClip()
{
    return qEnvironmentVariable("VANTOR_TEST_MEDIA").toStdString() + "/clip.mp4";
}

// A file's lines split at CR LF only: each line's bytes as the file holds them.
std::vector<std::string> crLfLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

// Line `index` of a file split at CR LF, or "<missing>".
std::string lineOfFile(const std::string& path, std::size_t index)
{
    const std::vector<std::string> lines = crLfLines(readBytes(path));
    return index < lines.size() ? lines[index] : "<missing>";
}

std::string crLfText(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// Every entry of a folder with its bytes ("<folder>" for a folder, "<other>" for anything else), to show
// that nothing but what a case expects changed on disk.
std::map<std::string, std::string> snapshot(const std::string& folder)
{
    std::map<std::string, std::string> entries;
    for (const std::string& name : folderEntries(folder)) {
        const std::string path = folder + "/" + name;
        struct stat status { };
        ::lstat(path.c_str(), &status);
        if (S_ISREG(status.st_mode))
            entries[name] = readBytes(path);
        else if (S_ISDIR(status.st_mode))
            entries[name] = "<folder>";
        else if (S_ISLNK(status.st_mode))
            entries[name] = "<link>";
        else
            entries[name] = "<other>";
    }
    return entries;
}

// The real window as main() assembles it, minus the global keys (in-application shortcuts serve offscreen)
// and with the dialogs recorded. Nothing is built until start(), so that a case can prepare the disk first.
class BadInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_EQ(::mkdir(configFolder().c_str(), 0755), 0);
        ASSERT_EQ(::mkdir(videoFolder().c_str(), 0755), 0);
    }
    void TearDown() override { stop(); }

    std::string configFolder() const { return m_folder.file("config"); }
    std::string settingsFile() const { return configFolder() + "/software.conf"; }
    std::string videoFolder() const { return m_folder.file("videos"); }
    std::string video(const std::string& name) const { return videoFolder() + "/" + name; }

    // Builds and shows the window, whose first show runs the style start-up on the settings folder.
    void start()
    {
        stop();
        m_player = std::make_unique<MpvPlayer>(MpvPlayer::Options { "null" });
        m_form = std::make_unique<TForm1>(*m_player, m_dialogs);
        m_hotKeys = std::make_unique<ShortcutHotKeyService>(*m_form);
        m_settings = std::make_unique<IniSettingsStore>(configFolder());
        m_fontViews = std::make_unique<TFontOptionFormFactory>(m_dialogs);
        m_controller = std::make_unique<MainController>(MainPorts {
            *m_form, *m_player, m_dialogs, m_files, m_codec, *m_hotKeys, *m_settings, *m_fontViews });
        m_form->attach(*m_controller);
        m_controller->FormCreate();
        m_form->show();
    }
    // Closes the window and takes everything down in the order main() does.
    void stop()
    {
        if (m_form)
            m_form->close();
        m_controller.reset();
        m_fontViews.reset();
        m_settings.reset();
        m_hotKeys.reset();
        m_form.reset();
        m_player.reset();
    }

    template <typename T = QWidget> T* find(const char* name)
    {
        auto* widget = m_form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    bool enabled(const char* name) { return find(name)->isEnabled(); }
    std::string status() const { return m_form->text(Control::Label2); }
    const TextDocument& plainDocument() { return m_controller->documents().PlainDocument; }
    std::string plainViewLine(int line)
    {
        return find<QPlainTextEdit>("UserRichEdit")->document()->findBlockByNumber(line).text().toStdString();
    }

    // Runs the event loop (the window's 1 ms timer drains the player) until `done` or the limit.
    bool spinUntil(std::chrono::milliseconds limit, const std::function<bool()>& done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() >= limit.count())
                return false;
            QEventLoop loop;
            QTimer::singleShot(2, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return true;
    }
    void spinFor(std::chrono::milliseconds time)
    {
        spinUntil(time, [] { return false; });
    }

    // The open button and the open-file dialog, answered with `path`.
    void openThroughDialog(const std::string& path, bool answerYes = true)
    {
        m_dialogs.fileToOpen = path;
        m_dialogs.answerYes = answerYes;
        QTest::mouseClick(find<QPushButton>("OpenButton"), Qt::LeftButton);
    }
    bool waitLoaded()
    {
        return spinUntil(5s, [this] { return m_player->isFileLoaded(); });
    }
    void openClip(const std::string& name = "clip.mp4")
    {
        std::filesystem::copy_file(mediaClip(), video(name));
        openThroughDialog(video(name));
        ASSERT_TRUE(waitLoaded()) << status();
    }

    // F9, let it play, F10, let the marked segment loop once, type the text and press Enter.
    void entry(const QString& typed)
    {
        QTest::mouseClick(find<QPushButton>("StartTimeButton"), Qt::LeftButton);
        const double from = m_player->currentPosition();
        ASSERT_TRUE(spinUntil(3s, [&] { return m_player->currentPosition() > from + 0.3; }))
            << "the video does not advance; status " << status();
        QTest::mouseClick(find<QPushButton>("EndTimeButton"), Qt::LeftButton);
        spinFor(200ms);
        auto* input = find<QLineEdit>("InputEdit");
        input->setText(typed);
        QTest::keyClick(input, Qt::Key_Return);
    }

    // Types `keys` at the end of line `line` of the plain view.
    void typeAtEndOfLine(int line, const QString& keys)
    {
        auto* plain = find<QPlainTextEdit>("UserRichEdit");
        plain->setFocus();
        QTextCursor cursor(plain->document()->findBlockByNumber(line));
        cursor.movePosition(QTextCursor::EndOfBlock);
        plain->setTextCursor(cursor);
        QTest::keyClicks(plain, keys);
    }

    std::string saveFailure(const std::string& name, const std::string& reason) const
    {
        return "Could not save " + video(name) + ": " + reason + kSaveFailureNote;
    }

    TemporaryFolder m_folder;
    FakeDialogs m_dialogs;
    PosixFileSystem m_files;
    QtTextCodec m_codec;
    std::unique_ptr<MpvPlayer> m_player;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<ShortcutHotKeyService> m_hotKeys;
    std::unique_ptr<IniSettingsStore> m_settings;
    std::unique_ptr<TFontOptionFormFactory> m_fontViews;
    std::unique_ptr<MainController> m_controller;
};

// ---------------------------------------------------------------------------------------------------------
// Video names that trip shells, quoting and option parsers.

struct NameCase {
    const char* name;
    std::string video;
    std::string baseName;
};

void PrintTo(const NameCase& value, std::ostream* out)
{
    *out << value.name;
}

class VideoNameTest : public BadInputTest, public ::testing::WithParamInterface<NameCase> { };

// The user sees the video open and play; after one entry NAME.srt and NoFormatNAME.srt lie beside it.
TEST_P(VideoNameTest, OpensPlaysAndGetsBothSubtitleFilesBesideIt)
{
    const NameCase& c = GetParam();
    start();
    openClip(c.video);
    EXPECT_FALSE(enabled("OpenButton"));

    entry(QStringLiteral("Hello"));
    EXPECT_EQ(m_dialogs.errors, std::vector<std::string> {});
    std::vector<std::string> expected { "NoFormat" + c.baseName + ".srt", c.baseName + ".srt", c.video };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderEntries(videoFolder()), expected);
    const std::vector<std::string> plain = crLfLines(readBytes(video("NoFormat" + c.baseName + ".srt")));
    ASSERT_EQ(plain.size(), 4u);
    EXPECT_EQ(plain[0], "1");
    EXPECT_TRUE(std::regex_match(plain[1], std::regex(R"(00:00:00,001 --> 00:00:0\d,\d{3})"))) << plain[1];
    EXPECT_EQ(plain[2], "Hello");
    EXPECT_EQ(plain[3], "");
    EXPECT_EQ(readBytes(video(c.baseName + ".srt")), crLfText({ "1", plain[1], kBlock + "Hello</b>", "" }));
}

INSTANTIATE_TEST_SUITE_P(Names, VideoNameTest,
    ::testing::Values(NameCase { "Blanks", " my  clip .mp4", " my  clip " },
        NameCase { "Chinese", "电影 第一集.mp4", "电影 第一集" },
        NameCase { "SingleQuote", "it's.mp4", "it's" },
        NameCase { "DoubleQuote", "say \"hi\".mp4", "say \"hi\"" },
        NameCase { "LeadingDash", "-v.mp4", "-v" }, NameCase { "Backslash", "a\\b.mp4", "a\\b" },
        NameCase { "PercentAndHash", "100% #1.mp4", "100% #1" }),
    [](const auto& info) { return std::string(info.param.name); });

// The command line hands main() a relative path as it stands ("-v.mp4" after "--", or "./-v.mp4"); the
// files go beside the video, relative to the folder the program was started in.
class RelativeVideoPathTest : public BadInputTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        BadInputTest::SetUp();
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(videoFolder());
    }
    void TearDown() override
    {
        BadInputTest::TearDown();
        std::filesystem::current_path(m_previous);
    }
    std::filesystem::path m_previous;
};

// The user sees the video open and play; the two files appear beside it as -v.srt and NoFormat-v.srt.
TEST_P(RelativeVideoPathTest, OpensAndSavesBesideTheVideo)
{
    std::filesystem::copy_file(mediaClip(), video("-v.mp4"));
    start();
    m_controller->OpenVideo(GetParam());
    ASSERT_TRUE(waitLoaded()) << status();
    entry(QStringLiteral("Hello"));
    EXPECT_EQ(m_dialogs.errors, std::vector<std::string> {});
    EXPECT_EQ(
        folderEntries(videoFolder()), (std::vector<std::string> { "-v.mp4", "-v.srt", "NoFormat-v.srt" }));
    EXPECT_EQ(lineOfFile(video("NoFormat-v.srt"), 2), "Hello");
}

INSTANTIATE_TEST_SUITE_P(CommandLine, RelativeVideoPathTest, ::testing::Values("-v.mp4", "./-v.mp4"),
    [](const auto& info) { return std::string(info.param[0] == '.' ? "DotSlash" : "Bare"); });

struct CommandLineCase {
    const char* name;
    QStringList arguments;
    // The program runs with the video open; otherwise it ends at once with exit code 2 and this message.
    bool opens;
    const char* refusal;
};

void PrintTo(const CommandLineCase& value, std::ostream* out)
{
    *out << value.name;
}

class CommandLineTest : public BadInputTest, public ::testing::WithParamInterface<CommandLineCase> { };

// The program itself, started offscreen in the video's folder; whether it opened the video shows in the
// files it holds open.
TEST_P(CommandLineTest, ADashNameIsAVideoAfterDoubleDashOrAsAPath)
{
    QString program = qEnvironmentVariable("VANTOR_BINARY");
    if (program.isEmpty())
        program = QCoreApplication::applicationDirPath() + QStringLiteral("/../src/app/vantor");
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "the program is not built at " << program.toStdString() << " (build target vantor)";
    std::filesystem::copy_file(mediaClip(), video("-v.mp4"));

    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(videoFolder()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("VANTOR_AO"), QStringLiteral("null"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(configFolder()));
    process.setProcessEnvironment(environment);
    process.start(program, GetParam().arguments);
    ASSERT_TRUE(process.waitForStarted(5000));

    if (!GetParam().opens) {
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 2);
        EXPECT_TRUE(process.readAllStandardError().startsWith(GetParam().refusal));
        return;
    }
    const std::string fds = "/proc/" + std::to_string(process.processId()) + "/fd";
    const auto holdsVideo = [&] {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(fds, ignored)) {
            if (std::filesystem::read_symlink(entry.path(), ignored) == video("-v.mp4"))
                return true;
        }
        return false;
    };
    QElapsedTimer clock;
    clock.start();
    bool opened = false;
    while (!(opened = holdsVideo()) && clock.elapsed() < 10000 && process.state() == QProcess::Running)
        ::usleep(20000);
    EXPECT_TRUE(opened) << process.readAllStandardError().toStdString();
    process.kill();
    process.waitForFinished(5000);
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineTest,
    ::testing::Values(CommandLineCase { "DoubleDash", { "--", "-v.mp4" }, true, "" },
        CommandLineCase { "DotSlash", { "./-v.mp4" }, true, "" },
        CommandLineCase { "BareDashIsAnOption", { "-v.mp4" }, false, "vantor: unknown option -v.mp4\n" }),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------------------
// Files that are no video.

struct UnplayableCase {
    const char* name;
    const char* fileName;
    // Nothing: the file went away between the dialog and the open.
    std::optional<std::string> content;
    const char* reason;
    // The chosen file is itself the subtitle file NAME.srt, so the question comes first.
    bool asksFirst = false;
};

void PrintTo(const UnplayableCase& value, std::ostream* out)
{
    *out << value.name;
}

class UnplayableVideoTest : public BadInputTest, public ::testing::WithParamInterface<UnplayableCase> { };

// The user sees a message that the file cannot be played and why; the open button works again, F9 and F10
// mark nothing, and no subtitle file is made for the file. The next video opens as usual.
TEST_P(UnplayableVideoTest, SaysWhyLetsAnotherVideoBeOpenedAndWritesNothing)
{
    const UnplayableCase& c = GetParam();
    if (c.content) {
        ASSERT_TRUE(writeBytes(video(c.fileName), *c.content));
    }
    const auto before = snapshot(videoFolder());
    start();
    openThroughDialog(video(c.fileName));
    ASSERT_TRUE(spinUntil(5s, [this] { return !m_dialogs.errors.empty(); })) << status();
    spinFor(100ms);

    EXPECT_EQ(m_dialogs.errors,
        std::vector<std::string> {
            "无法播放 " + video(c.fileName) + "：" + c.reason + "\n请打开一个视频文件。" });
    EXPECT_EQ(m_dialogs.questions.size(), c.asksFirst ? 1u : 0u);
    EXPECT_EQ(status(), std::string("无法播放：") + c.reason + std::string(21, ' '));
    EXPECT_TRUE(enabled("OpenButton"));
    EXPECT_FALSE(enabled("StartTimeButton"));
    EXPECT_FALSE(enabled("EndTimeButton"));
    const std::string startField = m_form->text(Control::Edit1);
    m_controller->HotKeyPressed(HotKey::F9);
    m_controller->HotKeyPressed(HotKey::F10);
    spinFor(100ms);
    EXPECT_EQ(m_form->text(Control::Edit1), startField);
    EXPECT_NE(m_player->playState(), kPlayStatePlaying);
    m_controller->HotKeyPressed(HotKey::F8);
    EXPECT_FALSE(enabled("StartTimeButton"));
    EXPECT_FALSE(enabled("EndTimeButton"));
    // Each of the three keys tells again why nothing can be marked.
    EXPECT_EQ(m_dialogs.errors, std::vector<std::string>(4, m_dialogs.errors.front()));
    EXPECT_EQ(snapshot(videoFolder()), before);

    openClip("clip.mp4");
    entry(QStringLiteral("Hello"));
    EXPECT_EQ(m_dialogs.errors.size(), 4u);
    EXPECT_EQ(lineOfFile(video("NoFormatclip.srt"), 2), "Hello");
}

INSTANTIATE_TEST_SUITE_P(Files, UnplayableVideoTest,
    ::testing::Values(
        UnplayableCase { "TextFile", "notes.txt", "shopping list\r\nmilk\r\n", "无法识别的文件格式" },
        UnplayableCase {
            "GarbageWithVideoName", "video.mp4", std::string(4096, '\x5a'), "无法识别的文件格式" },
        UnplayableCase { "VanishedBeforeTheOpen", "gone.mp4", std::nullopt, "文件无法打开" },
        UnplayableCase { "SubtitleFileChosenAsVideo", "old.srt",
            "1\r\n00:00:01,000 --> 00:00:02,000\r\n" + kBlock + "Hi</b>\r\n\r\n",
            "文件中没有可播放的视频或音频", true }),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------------------
// The video or its folder goes away while the user works.

struct VanishCase {
    const char* name;
    void (*vanish)(const std::string& videoPath);
};

void PrintTo(const VanishCase& value, std::ostream* out)
{
    *out << value.name;
}

class VanishingVideoTest : public BadInputTest, public ::testing::WithParamInterface<VanishCase> { };

// The user sees nothing unusual: the open video plays on and the next entries are saved beside where it was.
TEST_P(VanishingVideoTest, PlaysOnAndSavesBesideWhereItWas)
{
    start();
    openClip();
    entry(QStringLiteral("one"));
    GetParam().vanish(video("clip.mp4"));
    entry(QStringLiteral("two"));
    EXPECT_EQ(m_dialogs.errors, std::vector<std::string> {});
    EXPECT_EQ(m_player->playState(), kPlayStatePlaying);
    const std::vector<std::string> plain = crLfLines(readBytes(video("NoFormatclip.srt")));
    ASSERT_EQ(plain.size(), 8u);
    EXPECT_EQ(plain[2], "one");
    EXPECT_EQ(plain[6], "two");
    EXPECT_EQ(lineOfFile(video("clip.srt"), 6), kBlock + "two</b>");
    EXPECT_EQ(temporariesIn(videoFolder()), std::vector<std::string> {});
}

INSTANTIATE_TEST_SUITE_P(Video, VanishingVideoTest,
    ::testing::Values(VanishCase { "Deleted", [](const std::string& path) { ::unlink(path.c_str()); } },
        VanishCase {
            "Renamed", [](const std::string& path) { std::filesystem::rename(path, path + ".renamed"); } }),
    [](const auto& info) { return std::string(info.param.name); });

// The user sees one message per file naming it and the reason, once; nothing typed is lost, and the first
// action after the folder is back writes both files whole.
TEST_F(BadInputTest, FolderThatGoesAwayKeepsTheWorkInMemoryAndSavesWhenItIsBack)
{
    start();
    openClip();
    entry(QStringLiteral("one"));
    std::filesystem::remove_all(videoFolder());

    entry(QStringLiteral("two"));
    EXPECT_EQ(m_dialogs.errors,
        (std::vector<std::string> { saveFailure("clip.srt", "No such file or directory"),
            saveFailure("NoFormatclip.srt", "No such file or directory") }));
    entry(QStringLiteral("three"));
    EXPECT_EQ(m_dialogs.errors.size(), 2u) << "the same failure is not told again";
    EXPECT_EQ(plainDocument().lineCount(), 12u);

    ASSERT_EQ(::mkdir(videoFolder().c_str(), 0755), 0);
    QTest::mouseClick(find<QPushButton>("ContinueButton"), Qt::LeftButton);
    EXPECT_EQ(readBytes(video("NoFormatclip.srt")), plainDocument().text());
    EXPECT_EQ(readBytes(video("clip.srt")), m_controller->documents().FormattedDocument.text());
    EXPECT_EQ(lineOfFile(video("NoFormatclip.srt"), 10), "three");
    EXPECT_EQ(folderEntries(videoFolder()), (std::vector<std::string> { "NoFormatclip.srt", "clip.srt" }));
}

// ---------------------------------------------------------------------------------------------------------
// Subtitle files that cannot be written.

struct SaveFailureCase {
    const char* name;
    // Prepares the video folder (the video is a link to the test clip, made first); returns why the case
    // cannot run here, or "".
    std::string (*prepare)(
        const std::string& folder, std::optional<SmallDisk>& disk, std::optional<ReadOnlyFolder>& readOnly);
    // The files whose save fails, with the reason the user reads; a reason of "" is either of the two a
    // read-only place gives (a read-only mount for root, missing permission for others).
    std::vector<std::pair<std::string, std::string>> failures;
    // An existing clip.srt is loaded and edited instead of capturing a new entry.
    bool editsExistingFile;
};

void PrintTo(const SaveFailureCase& value, std::ostream* out)
{
    *out << value.name;
}

const std::string kOneEntry = "1\r\n00:00:01,000 --> 00:00:02,000\r\n" + kBlock + "Hello</b>\r\n\r\n";

// Prepares the video folder as the case says and opens the clip in it; false (with the reason) when the case
// cannot run here. `before` gets the folder as it was before the program started.
class FileSetCaseTest : public BadInputTest, public ::testing::WithParamInterface<SaveFailureCase> {
protected:
    std::string prepareAndOpen(std::map<std::string, std::string>& before)
    {
        if (::symlink(mediaClip().c_str(), video("clip.mp4").c_str()) != 0)
            return "the video link could not be made";
        if (const std::string skip = GetParam().prepare(videoFolder(), m_disk, m_readOnly); !skip.empty())
            return skip;
        before = snapshot(videoFolder());
        start();
        openThroughDialog(video("clip.mp4"));
        EXPECT_TRUE(waitLoaded()) << status();
        return {};
    }
    std::optional<SmallDisk> m_disk;
    std::optional<ReadOnlyFolder> m_readOnly;
};

class SaveFailureTest : public FileSetCaseTest { };

// The user sees one message for each file that cannot be saved, naming it and the reason; the file in the
// way keeps its bytes, the other file is saved, and the work stays in memory.
TEST_P(SaveFailureTest, TellsOnceKeepsTheWorkAndLeavesTheFileInTheWay)
{
    const SaveFailureCase& c = GetParam();
    std::map<std::string, std::string> before;
    if (const std::string skip = prepareAndOpen(before); !skip.empty())
        GTEST_SKIP() << skip;
    if (c.editsExistingFile) {
        ASSERT_EQ(m_dialogs.questions.size(), 1u);
        typeAtEndOfLine(2, QStringLiteral("!"));
    } else {
        entry(QStringLiteral("Hello"));
    }

    ASSERT_EQ(m_dialogs.errors.size(), c.failures.size());
    for (std::size_t i = 0; i < c.failures.size(); ++i) {
        const auto& [file, reason] = c.failures[i];
        if (reason.empty()) {
            EXPECT_TRUE(m_dialogs.errors[i] == saveFailure(file, "Read-only file system")
                || m_dialogs.errors[i] == saveFailure(file, "Permission denied"))
                << m_dialogs.errors[i];
        } else {
            EXPECT_EQ(m_dialogs.errors[i], saveFailure(file, reason));
        }
    }
    EXPECT_EQ(plainDocument().line(2), c.editsExistingFile ? "Hello!" : "Hello");
    // The file in the way is as it was; the other one holds its document; nothing else changed.
    auto expected = before;
    for (const std::string name : { "clip.srt", "NoFormatclip.srt" }) {
        const bool failed = std::any_of(
            c.failures.begin(), c.failures.end(), [&](const auto& failure) { return failure.first == name; });
        if (!failed)
            expected[name] = name == "clip.srt" ? m_controller->documents().FormattedDocument.text()
                                                : plainDocument().text();
    }
    EXPECT_EQ(snapshot(videoFolder()), expected);
    EXPECT_EQ(temporariesIn(videoFolder()), std::vector<std::string> {});
}

INSTANTIATE_TEST_SUITE_P(Places, SaveFailureTest,
    ::testing::Values(SaveFailureCase { "FullDisk",
        [](const std::string& folder, std::optional<SmallDisk>& disk, auto&) {
            // The video link is remade on the small disk; the rest of it is filled up.
            ::unlink((folder + "/clip.mp4").c_str());
            disk.emplace(folder, "64k");
            if (!disk->mounted())
                return disk->skipReason();
            ::symlink(mediaClip().c_str(), (folder + "/clip.mp4").c_str());
            const int fd = ::open((folder + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
            const std::string block(4096, 'f');
            while (::write(fd, block.data(), block.size()) > 0) { }
            while (::write(fd, block.data(), 1) > 0) { }
            ::close(fd);
            return std::string();
        },
        { { "clip.srt", "No space left on device" }, { "NoFormatclip.srt", "No space left on device" } },
        false }),
    [](const auto& info) { return std::string(info.param.name); });

class UnwritableFileSetTest : public FileSetCaseTest { };

// Files that cannot be written when the video opens: the user is told at once which file and why, and what to
// do; no entry can be made (F9, F10 and F8 say why again), nothing on disk changes, and another video opens.
TEST_P(UnwritableFileSetTest, SaysWhichFileAndWhyAndMakesNoEntryNoFileWouldHold)
{
    const SaveFailureCase& c = GetParam();
    std::map<std::string, std::string> before;
    if (const std::string skip = prepareAndOpen(before); !skip.empty())
        GTEST_SKIP() << skip;

    EXPECT_EQ(m_dialogs.questions.size(), c.editsExistingFile ? 1u : 0u);
    ASSERT_EQ(m_dialogs.errors.size(), 1u);
    const auto& [file, reason] = c.failures.front();
    const std::string note = "\n字幕文件无法保存在视频旁边，所以不能制作字幕。请把视频放到可以写入的文件夹里"
                             "（或移走挡住的文件），再打开视频。";
    if (reason.empty()) {
        EXPECT_TRUE(m_dialogs.errors[0] == "Could not save " + video(file) + ": Read-only file system" + note
            || m_dialogs.errors[0] == "Could not save " + video(file) + ": Permission denied" + note)
            << m_dialogs.errors[0];
    } else {
        EXPECT_EQ(m_dialogs.errors[0], "Could not save " + video(file) + ": " + reason + note);
    }
    EXPECT_TRUE(enabled("OpenButton"));
    EXPECT_TRUE(find("UserRichEdit")->isHidden());
    EXPECT_TRUE(plainDocument().empty());
    for (const HotKey key : { HotKey::F8, HotKey::F9, HotKey::F10 }) {
        m_controller->HotKeyPressed(key);
        EXPECT_FALSE(enabled("StartTimeButton"));
        EXPECT_FALSE(enabled("EndTimeButton"));
    }
    EXPECT_EQ(m_dialogs.errors, std::vector<std::string>(4, m_dialogs.errors.front()));
    find<QLineEdit>("InputEdit")->setText(QStringLiteral("Hello"));
    QTest::keyClick(find<QLineEdit>("InputEdit"), Qt::Key_Return);
    EXPECT_TRUE(plainDocument().empty());
    EXPECT_EQ(snapshot(videoFolder()), before);
    EXPECT_EQ(temporariesIn(videoFolder()), std::vector<std::string> {});
}

INSTANTIATE_TEST_SUITE_P(Places, UnwritableFileSetTest,
    ::testing::Values(SaveFailureCase { "FormattedFileIsAFolder",
                          [](const std::string& folder, auto&, auto&) {
                              ::mkdir((folder + "/clip.srt").c_str(), 0755);
                              return std::string();
                          },
                          { { "clip.srt", "Is a directory" } }, false },
        SaveFailureCase { "PlainFileIsAFolder",
            [](const std::string& folder, auto&, auto&) {
                ::mkdir((folder + "/NoFormatclip.srt").c_str(), 0755);
                return std::string();
            },
            { { "NoFormatclip.srt", "Is a directory" } }, false },
        SaveFailureCase { "ReadOnlySubtitleFile",
            [](const std::string& folder, auto&, auto&) {
                writeBytes(folder + "/clip.srt", kOneEntry);
                ::chmod((folder + "/clip.srt").c_str(), 0444);
                return std::string();
            },
            { { "clip.srt", "Permission denied" } }, true },
        SaveFailureCase { "FolderTheUserCannotWrite",
            [](const std::string& folder, auto&, std::optional<ReadOnlyFolder>& readOnly) {
                ::unlink((folder + "/clip.mp4").c_str());
                readOnly.emplace(folder);
                if (const std::string skip = readOnly->skipReason(); !skip.empty())
                    return skip;
                ::symlink(mediaClip().c_str(), (folder + "/clip.mp4").c_str());
                return readOnly->seal() ? std::string()
                                        : std::string("the folder could not be made read-only");
            },
            { { "clip.srt", "" }, { "NoFormatclip.srt", "" } }, false }),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------------------
// Subtitle files that cannot be opened for editing.

struct RefusedCase {
    const char* name;
    // Puts the thing in the subtitle file's place; returns the message the user reads (before the note).
    std::string (*prepare)(const std::string& path);
};

void PrintTo(const RefusedCase& value, std::ostream* out)
{
    *out << value.name;
}

class RefusedSubtitleFileTest : public BadInputTest, public ::testing::WithParamInterface<RefusedCase> { };

// The user answers Yes to edit the existing file and sees why it cannot be opened. Nothing is loaded, the
// open button works again, F9 and F10 mark nothing, and the file is never replaced.
TEST_P(RefusedSubtitleFileTest, SaysWhyAndNeverReplacesTheFile)
{
    ASSERT_EQ(::symlink(mediaClip().c_str(), video("clip.mp4").c_str()), 0);
    const std::string message = GetParam().prepare(video("clip.srt"));
    const auto before = snapshot(videoFolder());
    start();
    openThroughDialog(video("clip.mp4"));
    spinFor(100ms);

    EXPECT_EQ(m_dialogs.questions, std::vector<std::string> { "SRT字幕文件已存在，是否打开编辑？" });
    EXPECT_EQ(m_dialogs.errors, std::vector<std::string> { message + kRefusedFileNote });
    EXPECT_TRUE(enabled("OpenButton"));
    EXPECT_FALSE(enabled("StartTimeButton"));
    EXPECT_FALSE(enabled("EndTimeButton"));
    EXPECT_TRUE(find("UserRichEdit")->isHidden());
    EXPECT_TRUE(plainDocument().empty());
    m_controller->HotKeyPressed(HotKey::F9);
    spinFor(100ms);
    EXPECT_EQ(m_form->text(Control::Edit1), "00:00:00,000");
    // F8 brings no marks back: an entry made now would live in memory only, lost at exit.
    m_controller->HotKeyPressed(HotKey::F8);
    EXPECT_FALSE(enabled("StartTimeButton"));
    EXPECT_FALSE(enabled("EndTimeButton"));
    find<QLineEdit>("InputEdit")->setText(QStringLiteral("Hello"));
    QTest::keyClick(find<QLineEdit>("InputEdit"), Qt::Key_Return);
    EXPECT_TRUE(plainDocument().empty());
    EXPECT_EQ(m_dialogs.errors, std::vector<std::string>(3, message + kRefusedFileNote));
    EXPECT_EQ(snapshot(videoFolder()), before);
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedSubtitleFileTest,
    ::testing::Values(
        // Far beyond any real subtitle file: loading 100 MB froze the window for 35 s and took 2.2 GB.
        RefusedCase { "TooLarge",
            [](const std::string& path) {
                std::string big;
                for (int n = 1; big.size() < 12 * 1024 * 1024; ++n)
                    big += std::to_string(n) + "\r\n00:00:01,000 --> 00:00:02,000\r\n" + kBlock
                        + "Hi</b>\r\n\r\n";
                big.resize(12 * 1024 * 1024);
                writeBytes(path, big);
                return "字幕文件 " + path + " 太大（12.0 MB，最大 10 MB），不像是 SRT 字幕文件。";
            } },
        // A pipe must neither hang the window nor be waited on.
        RefusedCase { "Pipe",
            [](const std::string& path) {
                ::mkfifo(path.c_str(), 0644);
                return "Could not read " + path + ": Not a regular file";
            } }),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------------------
// Subtitle files with unusual bytes: they load, and one edit leaves every other line byte for byte.

struct ContentCase {
    const char* name;
    std::string bytes;
    // The file's lines as the program reads them (any line break ends a line).
    std::vector<std::string> lines;
    // What the plain view shows on line 6, the text line of the second entry.
    std::string shownLine6;
    bool utf8;
};

void PrintTo(const ContentCase& value, std::ostream* out)
{
    *out << value.name;
}

std::string join(const std::vector<std::string>& lines, const std::string& separator)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i ? separator : "") + lines[i];
    return text;
}

// Two entries whose second text line is `second`; the lines as the program reads them.
std::vector<std::string> twoEntries(const std::string& second, const std::string& block = kBlock)
{
    return { "1", "00:00:01,000 --> 00:00:02,000", block + "Hello</b>", "", "2",
        "00:00:03,000 --> 00:00:04,000", block + second + "</b>", "" };
}

ContentCase contentCase(const char* name, const std::string& second, const std::string& separator,
    const std::string& shown, bool finalBreak = true)
{
    std::vector<std::string> lines = twoEntries(second);
    if (!finalBreak)
        lines.pop_back();
    return { name, join(lines, separator) + (finalBreak ? separator : ""), lines, shown, false };
}

ContentCase utf8Case(const char* name, const std::string& mark)
{
    const std::vector<std::string> lines = twoEntries("你好", kUtf8Block);
    return { name, mark + join(lines, "\r\n") + "\r\n", lines, "你好", true };
}

class LoadedContentTest : public BadInputTest, public ::testing::WithParamInterface<ContentCase> { };

// The user sees the file in the plain view; after one keystroke on the first entry both files hold every
// other line byte for byte (with CR LF after each line), in the file's own encoding.
TEST_P(LoadedContentTest, LoadsAndOneEditKeepsEveryOtherLine)
{
    const ContentCase& c = GetParam();
    ASSERT_EQ(::symlink(mediaClip().c_str(), video("clip.mp4").c_str()), 0);
    ASSERT_TRUE(writeBytes(video("clip.srt"), c.bytes));
    start();
    openThroughDialog(video("clip.mp4"));
    ASSERT_TRUE(waitLoaded()) << status();
    ASSERT_EQ(m_dialogs.errors, std::vector<std::string> {});
    ASSERT_FALSE(find("UserRichEdit")->isHidden());
    EXPECT_EQ(plainViewLine(2), "Hello");
    EXPECT_EQ(plainViewLine(6), c.shownLine6);

    typeAtEndOfLine(2, QStringLiteral("!"));
    EXPECT_EQ(m_dialogs.errors, std::vector<std::string> {});
    const std::string mark = c.bytes.starts_with(kUtf8Bom) ? kUtf8Bom : "";
    const std::string& block = c.utf8 ? kUtf8Block : kBlock;
    std::vector<std::string> formatted = c.lines;
    formatted[2] = block + "Hello!</b>";
    std::vector<std::string> plain = c.lines;
    plain[2] = "Hello!";
    plain[6] = plain[6].substr(block.size(), plain[6].size() - block.size() - std::string("</b>").size());
    EXPECT_EQ(readBytes(video("clip.srt")), mark + crLfText(formatted));
    EXPECT_EQ(readBytes(video("NoFormatclip.srt")), mark + crLfText(plain));
    EXPECT_EQ(temporariesIn(videoFolder()), std::vector<std::string> {});
}

INSTANTIATE_TEST_SUITE_P(Files, LoadedContentTest,
    ::testing::Values(contentCase("LfOnly", "\xC4\xE3\xBA\xC3", "\n", "你好"),
        contentCase("CrOnly", "\xC4\xE3\xBA\xC3", "\r", "你好"),
        contentCase("NoFinalLineBreak", "last", "\r\n", "last", false),
        contentCase("NulBytes", std::string("a\0b\0", 4), "\r\n", std::string("a\0b\0", 4)),
        contentCase("MegabyteLine", std::string(1024 * 1024, 'x'), "\r\n", std::string(1024 * 1024, 'x')),
        // A broken pair and a lead byte cut off by the line end show as U+FFFD, a lone FF as U+F8F5, where
        // the system's GBK converter puts it.
        contentCase("InvalidGbk", "\x81\x20ok\xFF\xC4", "\r\n", "\xEF\xBF\xBD ok\xEF\xA3\xB5\xEF\xBF\xBD"),
        utf8Case("Utf8WithMark", kUtf8Bom), utf8Case("Utf8WithoutMark", "")),
    [](const auto& info) { return std::string(info.param.name); });

// The user types on the line that holds a broken byte and sees that its replacement character cannot be
// stored; the line comes back as it was and the file keeps its bytes. Deleting that character mends the line.
TEST_F(BadInputTest, LineWithABrokenByteIsEditedOnceTheBrokenCharacterIsDeleted)
{
    ASSERT_EQ(::symlink(mediaClip().c_str(), video("clip.mp4").c_str()), 0);
    const std::vector<std::string> lines = twoEntries("bad\xC4");
    ASSERT_TRUE(writeBytes(video("clip.srt"), crLfText(lines)));
    start();
    openThroughDialog(video("clip.mp4"));
    ASSERT_TRUE(waitLoaded()) << status();
    ASSERT_EQ(plainViewLine(6), "bad\uFFFD");

    typeAtEndOfLine(6, QStringLiteral("!"));
    EXPECT_EQ(m_dialogs.errors,
        std::vector<std::string> { "The character \"\uFFFD\" cannot be stored in a GBK subtitle file." });
    EXPECT_EQ(plainViewLine(6), "bad\uFFFD");
    EXPECT_EQ(readBytes(video("clip.srt")), crLfText(lines));
    EXPECT_FALSE(std::filesystem::exists(video("NoFormatclip.srt")));

    QTest::keyClick(find<QPlainTextEdit>("UserRichEdit"), Qt::Key_Backspace);
    EXPECT_EQ(m_dialogs.errors.size(), 1u);
    EXPECT_EQ(lineOfFile(video("clip.srt"), 6), kBlock + "bad</b>");
    EXPECT_EQ(lineOfFile(video("NoFormatclip.srt"), 6), "bad");
}

// ---------------------------------------------------------------------------------------------------------
// A settings file that is damaged, read-only or not a file.

struct SettingsCase {
    const char* name;
    // Puts the damage in the settings file's place; returns its bytes ("" for a folder).
    std::string (*prepare)(const std::string& path);
    // The message at start-up; "" for none.
    std::string startUpError;
    // The file after start-up; nothing when it must keep its bytes.
    std::optional<std::string> after;
};

void PrintTo(const SettingsCase& value, std::ostream* out)
{
    *out << value.name;
}

const std::string kDefaultsWritten
    = "srtFontColorD=#FFFFFF\nsrtFontNameD=黑体\nsrtFontSizeD=18\nsrtFontPosLD=\n"
      "srtFontPosUD=\nsrtDefault=1\nsrtBord=bord0\nsrtShad=Shad3\n";
const std::string kBinaryWithQuote("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe=\x01\x02\"junk", 26);
const std::string kBinaryWithoutQuote("\x7f"
                                      "ELF\x02\x01\x01\0\0\0\xff\xfe\x80\n",
    14);

class SettingsFileTest : public BadInputTest, public ::testing::WithParamInterface<SettingsCase> { };

// The user sees the message of the table at start-up (or none) and works on with the default style: entries
// get the default style block. The file keeps every byte the user may want back; a second start is the same.
TEST_P(SettingsFileTest, StartsWithTheDefaultStyleAndKeepsTheFile)
{
    const SettingsCase& c = GetParam();
    const std::string original = c.prepare(settingsFile());
    start();
    spinFor(50ms);
    const std::vector<std::string> expectedErrors
        = c.startUpError.empty() ? std::vector<std::string> {} : std::vector<std::string> { c.startUpError };
    EXPECT_EQ(m_dialogs.errors, expectedErrors);
    const std::string expected = c.after.value_or(original);
    if (original.empty() && !c.after) {
        EXPECT_TRUE(std::filesystem::is_directory(settingsFile()));
    } else {
        EXPECT_EQ(readBytes(settingsFile()), expected);
    }

    openClip();
    entry(QStringLiteral("one"));
    EXPECT_EQ(lineOfFile(video("clip.srt"), 2), kBlock + "one</b>");
    EXPECT_EQ(m_dialogs.errors, expectedErrors);

    m_dialogs.errors.clear();
    start();
    spinFor(50ms);
    EXPECT_EQ(m_dialogs.errors, expectedErrors) << "a second start";
    if (!original.empty() || c.after) {
        EXPECT_EQ(readBytes(settingsFile()), expected) << "a second start";
    }
    EXPECT_EQ(folderEntries(configFolder()), std::vector<std::string> { "software.conf" });
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsFileTest,
    ::testing::Values(
        // Its quote opens a value that never ends: nothing added at the end could ever be read back.
        SettingsCase { "BinaryWithAQuote",
            [](const std::string& path) {
                writeBytes(path, kBinaryWithQuote);
                return kBinaryWithQuote;
            },
            "Failed to set data for 'srtFontColorD'", std::nullopt },
        SettingsCase { "UnclosedQuotedValue",
            [](const std::string& path) {
                const std::string bytes = "[General]\nsrtFontColor=\"#FF\nsrtDefault=0\n";
                writeBytes(path, bytes);
                return bytes;
            },
            "Failed to set data for 'srtFontColorD'", std::nullopt },
        SettingsCase { "BinaryWithoutQuotes",
            [](const std::string& path) {
                writeBytes(path, kBinaryWithoutQuote);
                return kBinaryWithoutQuote;
            },
            "", kBinaryWithoutQuote + "\n[General]\n" + kDefaultsWritten },
        SettingsCase { "TruncatedLastLine",
            [](const std::string& path) {
                const std::string bytes = "[General]\nsrtFontColorD=#FFFFFF\nsrtFontNameD=\xE9\xBB";
                writeBytes(path, bytes);
                return bytes;
            },
            "", "[General]\n" + kDefaultsWritten },
        SettingsCase { "ReadOnly",
            [](const std::string& path) {
                const std::string bytes = "[Other]\nx=1\n";
                writeBytes(path, bytes);
                ::chmod(path.c_str(), 0444);
                return bytes;
            },
            "Failed to set data for 'srtFontColorD'", std::nullopt },
        SettingsCase { "Folder",
            [](const std::string& path) {
                ::mkdir(path.c_str(), 0755);
                return std::string();
            },
            "Failed to get data for 'srtDefault'", std::nullopt }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vantor::test
