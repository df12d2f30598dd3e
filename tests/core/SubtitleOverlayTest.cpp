#include "MainFixture.h"

#include "overlay/AssText.h"
#include "overlay/SubtitleCues.h"

namespace vantor::test {
namespace {

const std::string kDefaultLook(kOverlayDefaultTags);

struct AssCase {
    const char* name;
    const char* srt;
    const char* ass; // after the default look
    int alignment;
    double x;
    double y;
};

class AssTextTest : public ::testing::TestWithParam<AssCase> { };

TEST_P(AssTextTest, SrtTextBecomesTheEventRenderersDraw)
{
    const AssCase& c = GetParam();
    const OverlayEvent event = overlayEventOfSrtText(c.srt);
    EXPECT_EQ(event.text, kDefaultLook + c.ass);
    EXPECT_EQ(event.alignment, c.alignment);
    EXPECT_DOUBLE_EQ(event.x, c.x);
    EXPECT_DOUBLE_EQ(event.y, c.y);
}

INSTANTIATE_TEST_SUITE_P(Texts, AssTextTest,
    ::testing::Values(
        // The default style: the font goes through the font table, <b> becomes \b.
        AssCase { "DefaultStyle", "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>你好</b>",
            "{\\fnNoto Sans CJK SC\\fs18\\bord0\\shad3\\3c&HFFFFFF&}{\\b1}你好{\\b0}", 2, 192, 278 },
        // The custom style: the colour in ASS's order, \pos becomes the place, the stray "\" goes.
        AssCase { "CustomStyle", "<font color=#FF8000>{\\fnArial\\fs20\\pos(190,270)\\}Hi",
            "{\\c&H0080FF&}{\\fnArial\\fs20}Hi", 2, 190, 270 },
        AssCase { "AlignmentTop", "{\\an8}Top", "Top", 8, 192, 10 },
        AssCase { "AlignmentLeftMiddle", "{\\an4}x", "x", 4, 10, 144 },
        AssCase { "FirstPositionCounts", "{\\pos(1,2)\\pos(3,4)}x", "x", 2, 1, 2 },
        AssCase { "TagWithParentheses", "{\\t(\\fs30)\\pos(5,6)}x", "{\\t(\\fs30)}x", 2, 5, 6 },
        AssCase { "FontTagClosed", "<font color=\"00ff00\" face=\"宋体\">a</font>b",
            "{\\c&H00FF00&\\fnNoto Serif CJK SC}a{\\c&HFFFFFF&\\fnArial}b", 2, 192, 278 },
        AssCase { "ItalicUnderlineStrike", "<i>a</i><U>b</U><s>c</s>",
            "{\\i1}a{\\i0}{\\u1}b{\\u0}{\\s1}c{\\s0}", 2, 192, 278 },
        AssCase { "LinesJoined", "one\r\ntwo", "one\\Ntwo", 2, 192, 278 },
        AssCase { "NotATag", "a < b > c", "a < b > c", 2, 192, 278 },
        AssCase { "UnclosedBlockStaysText", "x {y", "x {y", 2, 192, 278 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SubtitleCues, WellFormedEntriesOnlyWithAllTheirTextLines)
{
    const std::vector<std::string> lines { "1", "00:00:01,000 --> 00:00:02,500", "one", "second line", "",
        "2", "00:00:03,000 --> 00:00:03,000", "empty span", "", "3", "bad --> 00:00:09,000", "x", "", "4",
        "00:01:00.250 --> 00:01:01,000", "dot", "5", "00:02:00,000 --> 00:02:01,000", "" };
    const auto cues = cuesOfLines(lines);
    ASSERT_EQ(cues.size(), 2u);
    EXPECT_EQ(cues[0].startMs, 1000);
    EXPECT_EQ(cues[0].endMs, 2500);
    EXPECT_EQ(cues[0].firstTextLine, 2u);
    EXPECT_EQ(cues[0].textLineCount, 2u);
    EXPECT_EQ(cues[1].startMs, 60250);
    EXPECT_EQ(cues[1].textLineCount, 2u) << "text runs to the next empty or time line";
}

class SubtitleOverlayTest : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        open();
        controller.Timer1Timer();
    }

    // The texts drawn at `seconds` after a tick there.
    std::vector<std::string> drawnAt(double seconds)
    {
        player.position = seconds;
        controller.Timer1Timer();
        std::vector<std::string> texts;
        for (const OverlayEvent& event : player.overlay)
            texts.push_back(event.text);
        return texts;
    }

    static std::string drawn(const std::string& boldText)
    {
        return kDefaultLook + "{\\fnNoto Sans CJK SC\\fs18\\bord0\\shad3\\3c&HFFFFFF&}{\\b1}" + boldText
            + "{\\b0}";
    }
};

TEST_F(SubtitleOverlayTest, AnEntryShowsDuringItsTimeFromTheEndOfTheEnter)
{
    player.position = 1.0;
    hotKeys.press(HotKey::F9);
    player.position = 2.5;
    hotKeys.press(HotKey::F10);
    player.position = 2.54;
    controller.Timer1Timer();
    view.texts[Control::InputEdit] = "Hello";
    controller.InputEditChange();
    const int before = player.overlayUpdates;
    controller.InputEditKeyDown(keys::kEnter);
    EXPECT_LE(player.overlayUpdates - before, 1) << "one update for the whole Enter";

    EXPECT_EQ(drawnAt(0.0), std::vector<std::string> {}) << "the first entry starts at 00:00:00,001";
    EXPECT_EQ(drawnAt(1.5), std::vector<std::string> { drawn("Hello") });
    EXPECT_EQ(drawnAt(2.6), std::vector<std::string> {}) << "the entry ends at the wrap point";
}

TEST_F(SubtitleOverlayTest, TicksInsideOneEntryTellThePlayerNothing)
{
    entry(1.0, 2.0, 2.04, "a");
    entry(2.04, 3.0, 3.04, "b");
    drawnAt(1.1);
    const int before = player.overlayUpdates;
    for (double t = 1.1; t < 1.9; t += 0.001) {
        player.position = t;
        controller.Timer1Timer();
    }
    EXPECT_EQ(player.overlayUpdates, before);
    EXPECT_EQ(drawnAt(2.5), std::vector<std::string> { drawn("b") });
    EXPECT_EQ(player.overlayUpdates, before + 1);
}

TEST_F(SubtitleOverlayTest, TheLineBeingTypedShowsStyledBeforeEnterAndWritesNothing)
{
    player.position = 1.0;
    hotKeys.press(HotKey::F9);
    player.position = 2.0;
    hotKeys.press(HotKey::F10);
    files.writes.clear();
    for (const std::string typed : { "H", "He", "Hel" }) {
        view.texts[Control::InputEdit] = typed;
        controller.InputEditChange();
        EXPECT_EQ(drawnAt(1.5), std::vector<std::string> { drawn(typed) });
    }
    EXPECT_TRUE(files.writes.empty()) << "nothing reaches the files before Enter";

    // Before F10 there is no segment to preview over.
    controller.InputEditKeyDown(keys::kEnter);
    view.texts[Control::InputEdit] = "typed early";
    controller.InputEditChange();
    EXPECT_EQ(drawnAt(5.0), std::vector<std::string> {});
}

TEST_F(SubtitleOverlayTest, AnEditInEditModeShowsByTheEndOfTheKeystroke)
{
    entry(1.0, 2.0, 2.04, "Hello");
    controller.EditButtonClick();
    EXPECT_EQ(drawnAt(1.5), std::vector<std::string> { drawn("Hello") });
    view.caretLine = 2;
    controller.UserRichEditKeyDown('X', false);
    controller.plainLineEdited(2, "HelloX");
    controller.UserRichEditKeyDown('X', true);
    EXPECT_EQ(drawnAt(1.5), std::vector<std::string> { drawn("HelloX") });
}

TEST_F(SubtitleOverlayTest, HidingClearsThePictureSaysSoAndIsRemembered)
{
    entry(1.0, 2.0, 2.04, "Hello");
    EXPECT_EQ(drawnAt(1.5).size(), 1u);
    controller.toggleOverlay();
    EXPECT_TRUE(player.overlay.empty());
    EXPECT_EQ(drawnAt(1.6), std::vector<std::string> {});
    EXPECT_NE(view.texts[Control::Label3].find("Ctrl+T"), std::string::npos);
    EXPECT_EQ(settings.values["vantorSubtitleOverlay"], "0");

    // The next start begins hidden; the style values are untouched.
    MainRig next;
    next.settings.values = settings.values;
    next.start();
    EXPECT_FALSE(next.controller.overlay().visible());
    EXPECT_NE(next.view.texts[Control::Label3].find("Ctrl+T"), std::string::npos);

    controller.toggleOverlay();
    EXPECT_EQ(drawnAt(1.5).size(), 1u);
    EXPECT_EQ(view.texts[Control::Label3].find("Ctrl+T"), std::string::npos);
    EXPECT_EQ(settings.values["vantorSubtitleOverlay"], "1");
}

TEST_F(SubtitleOverlayTest, AfterNoTheOldFileNeverShows)
{
    files.files["/v/old.srt"] = "1\r\n00:00:01,000 --> 00:00:09,000\r\nOld text\r\n\r\n";
    open("/v/old.mp4", false);
    controller.Timer1Timer();
    for (const double t : { 0.5, 1.5, 5.0, 8.9 })
        EXPECT_EQ(drawnAt(t), std::vector<std::string> {}) << t;
}

TEST_F(SubtitleOverlayTest, ALoadedFileShowsAtItsTimes)
{
    files.files["/v/old.srt"] = "1\r\n00:00:01,000 --> 00:00:09,000\r\nOld text\r\n\r\n";
    open("/v/old.mp4", true);
    controller.Timer1Timer(); // the resume at the last end
    EXPECT_EQ(drawnAt(5.0), std::vector<std::string> { kDefaultLook + "Old text" });
}

} // namespace
} // namespace vantor::test
