#include "MainFixture.h"

#include "documents/SubtitleFileSet.h"

#include <algorithm>

namespace vantor::test {
namespace {

class SubtitleFileSetTest : public MainFixture { };

struct NameCase {
    const char* video;
    const char* formatted;
    const char* plain;
};

class FileNamesTest : public MainFixture, public ::testing::WithParamInterface<NameCase> { };

TEST_P(FileNamesTest, NamesComeFromTheVideoName)
{
    open(GetParam().video);
    EXPECT_EQ(session().FormattedPath, GetParam().formatted);
    EXPECT_EQ(controller.fileSet().PlainPath(), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(Videos, FileNamesTest,
    ::testing::Values(NameCase { "/v/clip.mp4", "/v/clip.srt", "/v/NoFormatclip.srt" },
        NameCase { "/v/a.mp4.b.mp4", "/v/a.b.mp4.srt", "/v/NoFormata.b.mp4.srt" },
        NameCase { "/v/clip", "/v/clip.srt", "/v/NoFormatclip.srt" },
        NameCase { "/v/x.MP4.mp4", "/v/x.MP4.srt", "/v/NoFormatx.MP4.srt" },
        NameCase { "/v/my film 电影.mkv", "/v/my film 电影.srt", "/v/NoFormatmy film 电影.srt" }));

TEST_F(SubtitleFileSetTest, CancellingTheDialogChangesNothing)
{
    dialogs.fileToOpen.reset();
    controller.OpenButtonClick();
    EXPECT_TRUE(player.url.empty());
    EXPECT_TRUE(view.enabled[Control::OpenButton]);
    EXPECT_EQ(session().FormattedPath, "");
}

TEST_F(SubtitleFileSetTest, OpeningWithoutSubtitlesAsksNothingAndWritesNothing)
{
    files.files[kPlain] = "old plain";
    open();
    EXPECT_EQ(player.url, kVideo);
    EXPECT_EQ(player.calls[player.calls.size() - 1], "stop");
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(files.writes.empty());
    EXPECT_FALSE(view.enabled[Control::OpenButton]);
    EXPECT_EQ(view.focused, Control::StartTimeButton);
    for (Control c : { Control::Label1, Control::Edit1, Control::Edit2 })
        EXPECT_EQ(view.texts[c], "00:00:00,000");
}

TEST_F(SubtitleFileSetTest, AnsweringNoTurnsTheOldFilesIntoBackups)
{
    files.files[kFormatted] = "new-old formatted";
    files.files[kPlain] = "new-old plain";
    files.files[std::string(kFormatted) + ".bak"] = "older formatted";
    files.files[std::string(kPlain) + ".bak"] = "older plain";
    open(kVideo, false);
    ASSERT_EQ(dialogs.questions, std::vector<std::string> { "SRT字幕文件已存在，是否打开编辑？" });
    EXPECT_EQ(files.files[std::string(kFormatted) + ".bak"], "new-old formatted");
    EXPECT_EQ(files.files[std::string(kPlain) + ".bak"], "new-old plain");
    EXPECT_FALSE(files.fileExists(kFormatted));
    EXPECT_FALSE(files.fileExists(kPlain));
    EXPECT_FALSE(session().CustomStyle);
    EXPECT_TRUE(controller.documents().FormattedDocument.empty());
}

const std::string kTwoEntries = "1\r\n00:00:01,000 --> 00:00:02,000\r\n"
    + std::string("{\\fn\xBA\xDA\xCC\xE5\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>") + "One</b>\r\n\r\n"
    + "2\r\n01:02:03,500 --> 01:02:04,250\r\n"
    + std::string("{\\fn\xBA\xDA\xCC\xE5\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>")
    + "\xC4\xE3\xBA\xC3</b>\r\n\r\n";

TEST_F(SubtitleFileSetTest, AnsweringYesLoadsBothDocumentsInEditMode)
{
    files.files[kFormatted] = kTwoEntries;
    open();
    const auto& documents = controller.documents();
    EXPECT_EQ(documents.FormattedDocument.text(), kTwoEntries);
    EXPECT_EQ(documents.PlainDocument.text(),
        "1\r\n00:00:01,000 --> 00:00:02,000\r\nOne\r\n\r\n2\r\n01:02:03,500 --> "
        "01:02:04,250\r\n\xC4\xE3\xBA\xC3\r\n\r\n");
    EXPECT_TRUE(files.writes.empty()) << "loading writes no file";
    EXPECT_TRUE(session().EditMode);
    EXPECT_TRUE(session().ResumePending);
    EXPECT_FALSE(session().CustomStyle) << "the loaded lines are in the default style";
    EXPECT_EQ(session().EntryCount, 2);
    EXPECT_FALSE(session().Loading);
    EXPECT_EQ(view.texts[Control::Edit1], "01:02:03,500");
    EXPECT_EQ(view.texts[Control::Edit2], "01:02:04,250");
    EXPECT_EQ(view.texts[Control::Label1], "01:02:04,250");
    EXPECT_EQ(session().ResumeSeconds, 3724.25L);
    EXPECT_EQ(session().ResumeStartText, "01:02:04,250");
    EXPECT_TRUE(view.visible[Control::UserRichEdit]);
    EXPECT_FALSE(view.visible[Control::Panel3]);
    EXPECT_FALSE(view.enabled[Control::StartTimeButton]);
    EXPECT_EQ(view.plainLines.size(), 8u);
    EXPECT_EQ(view.plainLines[6], "你好");
    // The overlay then reads the position to draw the entries there; the last command is the pause.
    const auto lastCommand = std::find_if(player.calls.rbegin(), player.calls.rend(),
        [](const std::string& call) { return call != "currentPosition"; });
    ASSERT_NE(lastCommand, player.calls.rend());
    EXPECT_EQ(*lastCommand, "pause");

    // The next time-code read resumes playback at the last end.
    controller.Timer1Timer();
    EXPECT_EQ(player.seeks.front(), 3724.25);
    EXPECT_FALSE(session().ResumePending);
}

// Going on with a loaded file the way a user does right after start: F8, then F9 while the video is still
// opening (no position string yet), F10, Enter. The entry continues the numbering, its time line is whole
// and its text line closes "<b>" like the loaded ones.
TEST_F(SubtitleFileSetTest, EntryAfterLoadingContinuesTheFileWholeAndInItsStyle)
{
    files.files[kFormatted] = kTwoEntries;
    open();
    controller.ContinueButtonClick();
    player.mediaOpen = false;
    player.position = 3724.25;
    hotKeys.press(HotKey::F9);
    player.position = 3725.5;
    hotKeys.press(HotKey::F10);
    view.texts[Control::InputEdit] = "Three";
    controller.InputEditKeyDown(keys::kEnter);

    const std::string entry = "3\r\n01:02:04,250 --> 01:02:05,500\r\n";
    EXPECT_EQ(files.files[kFormatted], kTwoEntries + entry + kDefaultBlock + "Three</b>\r\n\r\n");
    EXPECT_EQ(
        files.files[kPlain].substr(files.files[kPlain].size() - entry.size() - 9), entry + "Three\r\n\r\n");
}

// A file in a custom style gets new entries in that style, read back from its first text line as the font
// dialog reads it: no "<b>" that nothing closes, on the formatted file's bytes and the plain file's.
TEST_F(SubtitleFileSetTest, EntryAfterLoadingACustomStyledFileTakesTheFilesOwnStyle)
{
    // <font color=#FF0000>{\fn宋体\fs24\pos(100,200)\} in GBK.
    const std::string block = "<font color=#FF0000>{\\fn\xCB\xCE\xCC\xE5\\fs24\\pos(100,200)\\}";
    const std::string loaded = "1\r\n00:00:01,000 --> 00:00:02,000\r\n" + block + "One\r\n\r\n";
    files.files[kFormatted] = loaded;
    open();
    ASSERT_TRUE(session().CustomStyle);
    controller.ContinueButtonClick();
    entry(3, 4, 4.04, "Two");

    EXPECT_EQ(
        files.files[kFormatted], loaded + "2\r\n00:00:02,000 --> 00:00:04,000\r\n" + block + "Two\r\n\r\n");
    EXPECT_EQ(files.files[kPlain],
        "1\r\n00:00:01,000 --> 00:00:02,000\r\nOne\r\n\r\n2\r\n00:00:02,000 --> 00:00:04,000\r\nTwo\r\n\r\n");
}

// The player reports through its port, from the event loop, that the opened file cannot be played: marks
// go off and stay off (F8 included), the open button works again, and the user reads why.
TEST_F(SubtitleFileSetTest, AnUnplayableVideoTurnsMarksOffAndSaysWhy)
{
    open();
    ASSERT_TRUE(player.openFailureHandler);
    player.openFailureHandler("无法识别的文件格式");
    const std::string message = "无法播放 /v/clip.mp4：无法识别的文件格式\n请打开一个视频文件。";
    EXPECT_EQ(dialogs.errors, std::vector<std::string> { message });
    EXPECT_TRUE(view.enabled[Control::OpenButton]);
    controller.ContinueButtonClick();
    EXPECT_FALSE(view.enabled[Control::StartTimeButton]);
    EXPECT_FALSE(view.enabled[Control::EndTimeButton]);
    EXPECT_EQ(dialogs.errors, std::vector<std::string>(2, message));

    // Each tick first takes in the player's news.
    const int before = player.eventsProcessed;
    controller.Timer1Timer();
    EXPECT_EQ(player.eventsProcessed, before + 1);
}

struct NumberCase {
    const char* name;
    std::string file;
    int entryCount;
};

class NumberingTest : public MainFixture, public ::testing::WithParamInterface<NumberCase> { };

TEST_P(NumberingTest, NextEntryFollowsTheLastNumber)
{
    files.files[kFormatted] = GetParam().file;
    open();
    EXPECT_EQ(session().EntryCount, GetParam().entryCount);
}

INSTANTIATE_TEST_SUITE_P(Files, NumberingTest,
    ::testing::Values(NumberCase { "Numbered", kTwoEntries, 2 },
        NumberCase { "NumberedFromSeven", "7\r\n00:00:01,000 --> 00:00:02,000\r\nA\r\n\r\n", 7 },
        NumberCase { "NumberNotANumber",
            "x\r\n00:00:01,000 --> 00:00:02,000\r\nA\r\n\r\n"
            "y\r\n00:00:03,000 --> 00:00:04,000\r\nB\r\n\r\n",
            2 },
        NumberCase { "TimeLineFirst", "00:00:01,000 --> 00:00:02,000\r\nA\r\n", 1 },
        NumberCase { "NoTimeLine", "just text\r\n", 0 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SubtitleFileSetTest, CustomStyledFileLosesItsTagsInThePlainDocument)
{
    files.files[kFormatted] = "1\r\n00:00:01,000 --> 00:00:02,000\r\n<font "
                              "color=#FF0000>{\\fn\xBA\xDA\xCC\xE5\\fs18\\pos(190,270)\\}Hello\r\n\r\n"
                              "2\r\n00:00:03,000 --> 00:00:04,000\r\n<font "
                              "color=#00FF00>{\\fnArial\\fs20\\pos(1,2)\\}Other\r\n\r\n";
    open();
    EXPECT_EQ(controller.documents().PlainDocument.line(2), "Hello");
    EXPECT_EQ(controller.documents().PlainDocument.line(6),
        "<font color=#00FF00>{\\fnArial\\fs20\\pos(1,2)\\}Other")
        << "only blocks identical to the first text line's are removed";
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

class LineEndTest : public MainFixture, public ::testing::WithParamInterface<ReadCase> { };

TEST_P(LineEndTest, EveryLineEndIsReadAndCrLfWrittenBack)
{
    files.files[kFormatted] = GetParam().bytes;
    open();
    EXPECT_EQ(controller.documents().FormattedDocument.lines(), GetParam().lines);
    // A change writes the file back whole, with CR LF after every line.
    controller.documents().FormattedDocument.append("x");
    controller.fileSet().flushSaves();
    std::string expected;
    for (const auto& line : GetParam().lines)
        expected += line + "\r\n";
    EXPECT_EQ(files.files[kFormatted], expected + "x\r\n");
}

INSTANTIATE_TEST_SUITE_P(Files, LineEndTest,
    ::testing::Values(ReadCase { "lf", "1\n00:00:01,000 --> 00:00:02,000\nA\n\n",
                          { "1", "00:00:01,000 --> 00:00:02,000", "A", "" } },
        ReadCase { "cr", "1\r00:00:01,000 --> 00:00:02,000\rA\r\r",
            { "1", "00:00:01,000 --> 00:00:02,000", "A", "" } },
        ReadCase { "no_final_break", "1\r\n00:00:01,000 --> 00:00:02,000\r\nA",
            { "1", "00:00:01,000 --> 00:00:02,000", "A" } },
        ReadCase { "nul_and_garbage",
            std::string("1\r\n00:00:01,000 --> 00:00:02,000\r\n\xFF\x00\x81\r\n", 39),
            { "1", "00:00:01,000 --> 00:00:02,000", std::string("\xFF\x00\x81", 3) } }),
    [](const auto& info) { return info.param.name; });

TEST_F(SubtitleFileSetTest, LastLineWithoutBreakStaysInBothDocuments)
{
    files.files[kFormatted] = "1\r\n00:00:01,000 --> 00:00:02,000\r\nA";
    open();
    EXPECT_EQ(controller.documents().PlainDocument.line(2), "A");
    EXPECT_EQ(view.texts[Control::Edit2], "00:00:02,000");
}

TEST_F(SubtitleFileSetTest, FileWithoutTimeLinesOpensWithEmptyTimes)
{
    files.files[kFormatted] = "just some text\r\n";
    open();
    EXPECT_EQ(controller.documents().PlainDocument.line(0), "just some text");
    EXPECT_EQ(view.texts[Control::Edit2], "00:00:00,000");
    EXPECT_EQ(session().ResumeSeconds, 0);
    EXPECT_FALSE(view.enabled[Control::OpenButton]);
    EXPECT_TRUE(files.writes.empty());
}

TEST_F(SubtitleFileSetTest, EmptyFileOpensEmpty)
{
    files.files[kFormatted] = "";
    open();
    EXPECT_TRUE(controller.documents().FormattedDocument.empty());
    EXPECT_TRUE(session().EditMode);
    EXPECT_TRUE(files.writes.empty());
}

TEST_F(SubtitleFileSetTest, TimeLineThatDoesNotConvertEndsTheOpenQuietly)
{
    files.files[kFormatted] = "1\r\n00:00:01,000 --> 00:0x:02,000\r\nA\r\n\r\n";
    open();
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_TRUE(view.enabled[Control::OpenButton]) << "another video can be opened";
    EXPECT_FALSE(session().Loading) << "saving works for whatever the user does next";
    EXPECT_TRUE(files.writes.empty());
}

TEST_F(SubtitleFileSetTest, SecondOpenAfterAFailedOneWritesNothingToTheFirstVideosFiles)
{
    files.files[kFormatted] = "1\r\n00:00:01,000 --> 00:00:0x,000\r\nA\r\n\r\n";
    open();
    ASSERT_TRUE(view.enabled[Control::OpenButton]);
    open("/w/other.mp4");
    EXPECT_EQ(files.files[kFormatted], "1\r\n00:00:01,000 --> 00:00:0x,000\r\nA\r\n\r\n");
    EXPECT_FALSE(files.fileExists(kPlain));
    EXPECT_TRUE(files.writes.empty());
    EXPECT_EQ(session().FormattedPath, "/w/other.srt");
}

TEST_F(SubtitleFileSetTest, Utf8FileIsShownRightAndWrittenBackAsUtf8WithItsMark)
{
    const std::string bom = "\xEF\xBB\xBF";
    files.files[kFormatted] = bom
        + "1\r\n00:00:01,000 --> "
          "00:00:02,000\r\n{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>你好</b>\r\n\r\n";
    open();
    EXPECT_EQ(controller.documents().codePage, CodePage::Utf8);
    EXPECT_EQ(view.plainLines[2], "你好");
    controller.ContinueButtonClick();
    player.position = 3;
    hotKeys.press(HotKey::F10);
    view.texts[Control::InputEdit] = "再见";
    controller.InputEditKeyDown(keys::kEnter);
    EXPECT_EQ(files.files[kPlain].substr(0, 3), bom);
    EXPECT_NE(files.files[kPlain].find("再见"), std::string::npos);
    EXPECT_NE(
        files.files[kFormatted].find("{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>再见"), std::string::npos)
        << "the style pieces are written in the file's own encoding";
}

TEST(DetectCodePage, GbkTextIsNotTakenForUtf8)
{
    EXPECT_EQ(detectCodePage("\xC4\xE3\xBA\xC3"), CodePage::Gbk); // 你好 in GBK
    EXPECT_EQ(detectCodePage("plain ascii"), CodePage::Gbk);
    EXPECT_EQ(detectCodePage("你好"), CodePage::Utf8);
    EXPECT_EQ(detectCodePage("\xEF\xBB\xBF"
                             "ascii"),
        CodePage::Utf8);
}

TEST_F(SubtitleFileSetTest, FailedSaveIsReportedOnceAndRetriedWithTheNextChange)
{
    open();
    files.failWritesTo(kPlain, "Could not save /v/NoFormatclip.srt: No space left on device");
    entry(0.5, 2.0, 2.04, "one");
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("/v/NoFormatclip.srt"), std::string::npos);
    EXPECT_NE(dialogs.errors[0].find("No space left on device"), std::string::npos);
    EXPECT_EQ(files.files[kFormatted], controller.documents().FormattedDocument.text());

    player.position = 4;
    hotKeys.press(HotKey::F10);
    view.texts[Control::InputEdit] = "two";
    controller.InputEditKeyDown(keys::kEnter);
    EXPECT_EQ(dialogs.errors.size(), 1u) << "the same failure is not repeated";

    files.clearFailures();
    controller.ContinueButtonClick();
    EXPECT_EQ(files.files[kPlain], controller.documents().PlainDocument.text()) << "nothing typed was lost";
    EXPECT_EQ(controller.documents().PlainDocument.lineCount(), 8u);
}

} // namespace
} // namespace vantor::test
