#include "MainFixture.h"

namespace vantor::test {
namespace {

class CaptureCycleTest : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        open();
    }
};

TEST_F(CaptureCycleTest, FirstMarkShowsTheFirstCodeAndLoopsFromThePositionPlusOffset)
{
    player.position = 3.5;
    hotKeys.press(HotKey::F9);
    EXPECT_EQ(view.texts[Control::Edit1], "00:00:00,001");
    EXPECT_EQ(session().StartSeconds, 3.5L + 0.00101L);
    EXPECT_TRUE(player.playing);
    EXPECT_EQ(view.focused, Control::StartTimeButton);
}

TEST_F(CaptureCycleTest, SecondF9ReplacesTheStartWithTheCurrentCode)
{
    player.position = 3.5;
    hotKeys.press(HotKey::F9);
    player.position = 4.25;
    hotKeys.press(HotKey::F9);
    EXPECT_EQ(view.texts[Control::Edit1], "00:00:04,250");
    EXPECT_EQ(session().StartSeconds, 4.25L);
}

TEST_F(CaptureCycleTest, F10MarksTheEndLocksTheButtonsAndArmsTheLoop)
{
    player.position = 1;
    hotKeys.press(HotKey::F9);
    player.position = 2.345;
    hotKeys.press(HotKey::F10);
    EXPECT_EQ(view.texts[Control::Edit2], "00:00:02,345");
    EXPECT_EQ(session().EndSeconds, static_cast<long double>(2.345));
    EXPECT_FALSE(view.enabled[Control::StartTimeButton]);
    EXPECT_FALSE(view.enabled[Control::EndTimeButton]);
    EXPECT_EQ(view.focused, Control::InputEdit);

    // F9 and F10 do nothing while the buttons are locked.
    player.position = 9;
    hotKeys.press(HotKey::F9);
    hotKeys.press(HotKey::F10);
    EXPECT_EQ(view.texts[Control::Edit1], "00:00:00,001");
    EXPECT_EQ(session().EndSeconds, static_cast<long double>(2.345));

    player.position = 2.4;
    controller.Timer1Timer();
    EXPECT_EQ(player.seeks.back(), static_cast<double>(1.0L + 0.00101L));
}

TEST_F(CaptureCycleTest, EnterWritesTheEntryToBothDocumentsAndFiles)
{
    entry(0.5, 2.345, 2.38, "Hello");
    const std::string plain = "1\r\n00:00:00,001 --> 00:00:02,345\r\nHello\r\n\r\n";
    const std::string formatted
        = "1\r\n00:00:00,001 --> 00:00:02,345\r\n" + kDefaultBlock + "Hello</b>\r\n\r\n";
    EXPECT_EQ(controller.documents().PlainDocument.text(), plain);
    EXPECT_EQ(controller.documents().FormattedDocument.text(), formatted);
    EXPECT_EQ(files.files[kPlain], plain);
    EXPECT_EQ(files.files[kFormatted], formatted);
    EXPECT_EQ(view.texts[Control::Edit1], "00:00:02,380") << "the next start is the last wrap";
    EXPECT_EQ(view.texts[Control::Edit2], "00:00:00,000");
    EXPECT_EQ(view.texts[Control::InputEdit], "");
    EXPECT_TRUE(view.enabled[Control::StartTimeButton]);
    EXPECT_TRUE(view.enabled[Control::EndTimeButton]);
    EXPECT_EQ(session().StartSeconds, static_cast<long double>(2.38));
    EXPECT_EQ(player.position, 2.38);
    EXPECT_EQ(session().ResumeSeconds, static_cast<long double>(2.38));
    EXPECT_EQ(session().ResumeStartText, "00:00:02,380");
    EXPECT_EQ(session().ResumeEndText, "00:00:00,000");
}

TEST_F(CaptureCycleTest, OneEnterWritesEachFileOnce)
{
    entry(0.5, 2.345, 2.38, "Hello");
    EXPECT_EQ(writtenPaths(), (std::vector<std::string> { kFormatted, kPlain }));
}

TEST_F(CaptureCycleTest, EntriesFollowEachOtherFromTheLastWrap)
{
    entry(0.5, 2.0, 2.04, "one");
    player.position = 4.0;
    hotKeys.press(HotKey::F10);
    player.position = 4.04;
    controller.Timer1Timer();
    EXPECT_EQ(player.seeks.back(), 2.04) << "the loop runs from the previous wrap";
    view.texts[Control::InputEdit] = "two";
    controller.InputEditKeyDown(keys::kEnter);
    EXPECT_EQ(controller.documents().PlainDocument.text(),
        "1\r\n00:00:00,001 --> 00:00:02,000\r\none\r\n\r\n"
        "2\r\n00:00:02,040 --> 00:00:04,000\r\ntwo\r\n\r\n");
}

TEST_F(CaptureCycleTest, CustomStyleLinesGetNoClosingBold)
{
    controller.session().CustomStyle = true;
    entry(0.5, 2.345, 2.38, "Hello");
    EXPECT_EQ(controller.documents().FormattedDocument.line(2), kDefaultBlock + "Hello");
}

TEST_F(CaptureCycleTest, TypedBlanksAreKeptAndTimeFieldsTrimmed)
{
    player.position = 0.5;
    hotKeys.press(HotKey::F9);
    player.position = 2;
    hotKeys.press(HotKey::F10);
    view.texts[Control::Edit1] = "  00:00:00,001 ";
    view.texts[Control::Edit2] = "\t00:00:02,000";
    view.texts[Control::InputEdit] = "  Hello  ";
    controller.InputEditKeyDown(keys::kEnter);
    EXPECT_EQ(controller.documents().PlainDocument.line(1), "00:00:00,001 --> 00:00:02,000");
    EXPECT_EQ(controller.documents().PlainDocument.line(2), "  Hello  ");
}

TEST_F(CaptureCycleTest, EnterDoesNothingWhileAButtonIsEnabledOrTheFieldIsEmpty)
{
    view.texts[Control::InputEdit] = "Hello";
    controller.InputEditKeyDown(keys::kEnter); // buttons still enabled
    player.position = 0.5;
    hotKeys.press(HotKey::F9);
    controller.InputEditKeyDown(keys::kEnter); // F10 not pressed yet
    player.position = 2;
    hotKeys.press(HotKey::F10);
    view.texts[Control::InputEdit] = "";
    controller.InputEditKeyDown(keys::kEnter); // empty field
    view.texts[Control::InputEdit] = "Hello";
    controller.InputEditKeyDown('A'); // not Enter
    EXPECT_EQ(session().EntryCount, 0);
    EXPECT_TRUE(controller.documents().PlainDocument.empty());
    EXPECT_TRUE(files.writes.empty());
}

// Enter before the loop has jumped once in the run (typed faster than the segment, or marked while the
// video was still opening): the next entry starts at the end just marked, never with an empty start that
// would write " --> 00:00:03,000" into the files, and the video is not sent back to its beginning.
TEST_F(CaptureCycleTest, EnterBeforeAnyWrapStartsTheNextEntryAtTheEnd)
{
    player.position = 0.5;
    hotKeys.press(HotKey::F9);
    player.position = 2;
    hotKeys.press(HotKey::F10);
    view.texts[Control::InputEdit] = "Hi";
    controller.InputEditKeyDown(keys::kEnter);
    EXPECT_EQ(view.texts[Control::Edit1], "00:00:02,000");
    EXPECT_EQ(session().StartSeconds, 2);
    EXPECT_EQ(player.seeks.back(), 2);

    player.position = 3;
    hotKeys.press(HotKey::F10);
    view.texts[Control::InputEdit] = "Two";
    controller.InputEditKeyDown(keys::kEnter);
    EXPECT_EQ(controller.documents().PlainDocument.line(5), "00:00:02,000 --> 00:00:03,000");
}

TEST_F(CaptureCycleTest, PlayerFailureAfterTheAppendsKeepsTheEntrySaved)
{
    player.position = 0.5;
    hotKeys.press(HotKey::F9);
    player.position = 2;
    hotKeys.press(HotKey::F10);
    view.texts[Control::InputEdit] = "Hello";
    player.failOn = "setCurrentPosition";
    EXPECT_THROW(controller.InputEditKeyDown(keys::kEnter), Error);
    EXPECT_EQ(controller.documents().PlainDocument.lineCount(), 4u);
    EXPECT_EQ(files.files[kPlain], controller.documents().PlainDocument.text());
    EXPECT_EQ(files.files[kFormatted], controller.documents().FormattedDocument.text());
    EXPECT_TRUE(view.enabled[Control::StartTimeButton]);
    EXPECT_EQ(view.texts[Control::InputEdit], "");
    EXPECT_EQ(session().ResumeStartText, "") << "steps after the failing seek do not run";
}

TEST_F(CaptureCycleTest, ChineseTextIsStoredInGbk)
{
    entry(0.5, 2.0, 2.04, "你好");
    EXPECT_EQ(controller.documents().PlainDocument.line(2), "\xC4\xE3\xBA\xC3");
}

TEST_F(CaptureCycleTest, TextTheCodePageCannotHoldIsRefusedAndNothingChanges)
{
    player.position = 0.5;
    hotKeys.press(HotKey::F9);
    player.position = 2;
    hotKeys.press(HotKey::F10);
    view.texts[Control::InputEdit] = "smile 😀";
    EXPECT_THROW(controller.InputEditKeyDown(keys::kEnter), Error);
    EXPECT_EQ(session().EntryCount, 0);
    EXPECT_TRUE(controller.documents().PlainDocument.empty());
    EXPECT_EQ(view.texts[Control::InputEdit], "smile 😀") << "the typed line is kept for the user to fix";
}

TEST_F(CaptureCycleTest, F7AndF8ActInTheMiddleOfACycle)
{
    player.position = 0.5;
    hotKeys.press(HotKey::F9);
    player.position = 2;
    hotKeys.press(HotKey::F10);
    hotKeys.press(HotKey::F7);
    EXPECT_TRUE(session().EditMode);
    EXPECT_TRUE(view.visible[Control::UserRichEdit]);
    EXPECT_FALSE(view.visible[Control::Panel3]);
    EXPECT_FALSE(player.playing);
    hotKeys.press(HotKey::F8);
    EXPECT_FALSE(session().EditMode);
    EXPECT_TRUE(view.enabled[Control::StartTimeButton]);
    EXPECT_TRUE(view.enabled[Control::EndTimeButton]);
    EXPECT_EQ(view.focused, Control::InputEdit);
    EXPECT_TRUE(view.visible[Control::Panel3]);
    EXPECT_FALSE(view.visible[Control::UserRichEdit]);
}

TEST_F(CaptureCycleTest, PlainViewMirrorsThePlainDocument)
{
    entry(0.5, 2.0, 2.04, "你好");
    EXPECT_EQ(
        view.plainLines, (std::vector<std::string> { "1", "00:00:00,001 --> 00:00:02,000", "你好", "" }));
}

class HotKeyLifecycleTest : public MainFixture { };

TEST_F(HotKeyLifecycleTest, KeysAreRegisteredInOrderAndGivenBackOnClose)
{
    using A = FakeHotKeyService::Action;
    EXPECT_EQ(hotKeys.keysOf(A::Register),
        (std::vector<HotKey> { HotKey::F9, HotKey::F10, HotKey::F7, HotKey::F8 }));
    controller.FormClose();
    EXPECT_EQ(hotKeys.keysOf(A::Unregister),
        (std::vector<HotKey> { HotKey::F9, HotKey::F10, HotKey::F7, HotKey::F8 }));
    EXPECT_EQ(player.calls.back(), "release");
    EXPECT_EQ(player.calls.size(), 1u) << "the player is released first";
}

TEST(HotKeyRefusal, ATakenKeyIsReportedOnceAndTheOthersStillWork)
{
    MainRig rig;
    rig.hotKeys.markTaken(HotKey::F9);
    rig.controller.FormCreate();
    EXPECT_EQ(rig.controller.refusedHotKeys(), std::vector<HotKey> { HotKey::F9 });
    EXPECT_NE(rig.view.texts[Control::Label3].find("F9"), std::string::npos);
    EXPECT_TRUE(rig.dialogs.errors.empty()) << "not fatal, no error box";
    EXPECT_TRUE(rig.hotKeys.press(HotKey::F7));
    EXPECT_TRUE(rig.controller.session().EditMode);
    // The button still works with the mouse.
    rig.controller.ContinueButtonClick();
    rig.controller.StartTimeButtonClick();
    EXPECT_TRUE(rig.player.playing);
}

} // namespace
} // namespace vantor::test

namespace vantor::test {
namespace {

TEST(StyleStartUpFailure, EntriesKeepTheDefaultStyleWhenTheSettingsCannotBeWritten)
{
    MainRig rig;
    rig.settings.failNextWrite();
    rig.controller.FormCreate();
    EXPECT_THROW(rig.controller.FormShow(), Error) << "the user is told";
    rig.dialogs.fileToOpen = "/v/clip.mp4";
    rig.controller.OpenButtonClick();
    rig.player.position = 1;
    rig.hotKeys.press(HotKey::F9);
    rig.player.position = 2;
    rig.hotKeys.press(HotKey::F10);
    rig.view.texts[Control::InputEdit] = "Hi";
    rig.controller.InputEditKeyDown(keys::kEnter);
    EXPECT_EQ(rig.controller.documents().FormattedDocument.line(2),
        "{\\fn\xBA\xDA\xCC\xE5\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>Hi</b>");
}

} // namespace
} // namespace vantor::test
