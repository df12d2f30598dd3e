#include "MainFixture.h"

namespace vantor::test {
namespace {

// A default-styled file of three entries, loaded for editing. Entries 1 and 3 share a time line.
class EditModeTest : public MainFixture {
protected:
    static std::string entryText(int number, const std::string& time, const std::string& text)
    {
        return std::to_string(number) + "\r\n" + time + "\r\n" + kDefaultBlock + text + "</b>\r\n\r\n";
    }

    void SetUp() override
    {
        MainFixture::SetUp();
        files.files[kFormatted] = entryText(1, "00:00:05,000 --> 00:00:07,500", "Hello")
            + entryText(2, "01:00:00,000 --> 01:00:02,000", "\xC4\xE3") // 你
            + entryText(3, "00:00:05,000 --> 00:00:07,500", "abc");
        open();
        // The first tick resumes playback at the last entry's end, as after any load.
        controller.Timer1Timer();
        files.writes.clear();
    }

    TextDocument& plain() { return controller.documents().PlainDocument; }
    TextDocument& formatted() { return controller.documents().FormattedDocument; }

    void caretAt(int line, int column = 0)
    {
        view.caretLine = line;
        view.caretColumn = column;
    }

    // The user types: key-down through the filter, the edit if it was not discarded, key-up.
    bool type(int key, int line, const std::string& newText)
    {
        caretAt(line, view.caretColumn);
        const bool discarded = controller.UserRichEditKeyDown(key, false);
        if (!discarded)
            controller.plainLineEdited(static_cast<std::size_t>(line), newText);
        controller.UserRichEditKeyDown(key, true);
        return !discarded;
    }
};

TEST_F(EditModeTest, CaretOnATimeLineSeeksToItsStartAndLoopsItsEntry)
{
    caretAt(1);
    controller.UserRichEditMouseDown();
    EXPECT_EQ(view.texts[Control::Edit1], "00:00:05,000");
    EXPECT_EQ(view.texts[Control::Edit2], "00:00:07,500");
    EXPECT_EQ(session().StartSeconds, 5.0L);
    EXPECT_EQ(session().EndSeconds, 7.5L);
    EXPECT_EQ(player.seeks.back(), 5.0);
    EXPECT_TRUE(player.playing);

    player.position = 7.54;
    controller.Timer1Timer();
    EXPECT_EQ(player.seeks.back(), 5.0) << "the segment loop repeats the entry";
}

TEST_F(EditModeTest, AnHourLongTimeLineSeeksTo3600)
{
    caretAt(5);
    controller.UserRichEditMouseDown();
    EXPECT_EQ(player.seeks.back(), 3600.0);
}

TEST_F(EditModeTest, PlainViewIsReadOnlyOnEmptyLinesOnly)
{
    caretAt(3);
    controller.UserRichEditMouseDown();
    EXPECT_TRUE(view.plainReadOnly);
    caretAt(2);
    controller.UserRichEditKeyDown(0, true);
    EXPECT_FALSE(view.plainReadOnly);
}

struct EraseCase {
    const char* name;
    int line;
    int column;
    int key;
    bool allowed;
};

class EraseKeyTest : public EditModeTest, public ::testing::WithParamInterface<EraseCase> { };

TEST_P(EraseKeyTest, KeyFilterKeepsTheLastCharacterAndTheLineStructure)
{
    const auto& c = GetParam();
    caretAt(c.line, c.column);
    EXPECT_EQ(!controller.UserRichEditKeyDown(c.key, false), c.allowed);
    EXPECT_FALSE(controller.UserRichEditKeyDown(c.key, true)) << "nothing is discarded on key-up";
}

INSTANTIATE_TEST_SUITE_P(Keys, EraseKeyTest,
    ::testing::Values(EraseCase { "backspace_one_double_byte_char", 6, 1, keys::kBackspace, false },
        EraseCase { "delete_one_double_byte_char", 6, 0, keys::kDelete, false },
        EraseCase { "backspace_three_single_byte", 10, 2, keys::kBackspace, true },
        EraseCase { "delete_three_single_byte", 10, 1, keys::kDelete, true },
        EraseCase { "delete_at_line_end", 2, 5, keys::kDelete, false },
        EraseCase { "delete_inside_line", 2, 4, keys::kDelete, true },
        EraseCase { "backspace_at_line_start", 2, 0, keys::kBackspace, false },
        EraseCase { "other_key_at_end", 2, 5, 'x', true }),
    [](const auto& info) { return info.param.name; });

TEST_F(EditModeTest, DeleteAtTheEndOfAChineseLineIsRefused)
{
    plain().replace(6, "\xC4\xE3\xBA\xC3\xB0\xA1"); // 你好啊: 3 characters, 6 bytes
    caretAt(6, 3);
    EXPECT_TRUE(controller.UserRichEditKeyDown(keys::kDelete, false));
    caretAt(6, 2);
    EXPECT_FALSE(controller.UserRichEditKeyDown(keys::kDelete, false));
}

TEST_F(EditModeTest, EditedTimeLineChangesEveryIdenticalTimeLineOfTheFormattedDocument)
{
    caretAt(1, 11);
    type('2', 1, "00:00:05,200 --> 00:00:07,500");
    EXPECT_EQ(formatted().line(1), "00:00:05,200 --> 00:00:07,500");
    EXPECT_EQ(formatted().line(9), "00:00:05,200 --> 00:00:07,500");
    EXPECT_EQ(plain().line(9), "00:00:05,000 --> 00:00:07,500")
        << "the plain document changes only where typed";
    EXPECT_EQ(files.files[kFormatted], formatted().text());
    EXPECT_EQ(files.files[kPlain], plain().text());
}

TEST_F(EditModeTest, TimeLineEditedOutOfShapeIsNotCarriedUntilItIsBack)
{
    caretAt(1, 16);
    type('x', 1, "00:00:05,000 -x> 00:00:07,500");
    EXPECT_EQ(formatted().line(1), "00:00:05,000 --> 00:00:07,500");
    type(keys::kBackspace, 1, "00:00:05,000 -> 00:00:07,500");
    type('-', 1, "00:00:05,000 --> 00:00:07,500");
    EXPECT_EQ(formatted().line(1), plain().line(1));
}

TEST_F(EditModeTest, EditedTextLineIsRecomposedWithTheStylePieces)
{
    const std::string before = formatted().text();
    caretAt(2, 1);
    type('a', 2, "Hallo");
    EXPECT_EQ(formatted().line(2), kDefaultBlock + "Hallo</b>");
    std::string expected = before;
    expected.replace(expected.find("Hello"), 5, "Hallo");
    EXPECT_EQ(formatted().text(), expected) << "every other line stays as it was";
    EXPECT_EQ(files.files[kFormatted], formatted().text());
    EXPECT_EQ(files.files[kPlain], plain().text());
}

TEST_F(EditModeTest, EditedEntryNumberStaysInThePlainDocument)
{
    const std::string before = formatted().text();
    caretAt(0, 1);
    type('9', 0, "19");
    EXPECT_EQ(formatted().text(), before);
    EXPECT_EQ(files.files[kPlain], plain().text());
    EXPECT_EQ(plain().line(0), "19");
}

TEST_F(EditModeTest, EnterWhilePlainViewIsVisibleAppendsTheEntryAsOutsideEditMode)
{
    // Leave edit mode's locked buttons for a capture, keep the plain view shown.
    controller.ContinueButtonClick();
    controller.EditButtonClick();
    view.enabled[Control::StartTimeButton] = false;
    view.enabled[Control::EndTimeButton] = false;
    caretAt(2, 0);
    view.texts[Control::InputEdit] = "new";
    controller.InputEditKeyDown(keys::kEnter);
    EXPECT_EQ(plain().lineCount(), 16u);
    EXPECT_EQ(formatted().lineCount(), 16u);
    EXPECT_EQ(formatted().line(2), kDefaultBlock + "Hello</b>") << "the appends are not carried as edits";
    EXPECT_EQ(plain().line(14), "new");
    EXPECT_EQ(files.files[kPlain], plain().text());
}

TEST_F(EditModeTest, RefusedCharacterGivesTheLineBack)
{
    caretAt(2, 5);
    EXPECT_THROW(controller.plainLineEdited(2, "Hello😀"), Error);
    EXPECT_EQ(plain().line(2), "Hello");
    EXPECT_EQ(view.plainLines[2], "Hello");
}

TEST_F(EditModeTest, F8AfterLoadingResumesAtTheLastEnd)
{
    // A fresh fixture state is simpler: load a file whose last entry ends at 00:01:10,000.
    MainRig fresh;
    fresh.start();
    fresh.files.files[kFormatted] = entryText(1, "00:01:05,000 --> 00:01:10,000", "x");
    fresh.dialogs.fileToOpen = kVideo;
    fresh.controller.OpenButtonClick();
    fresh.controller.ContinueButtonClick();
    EXPECT_EQ(fresh.player.seeks.back(), 70.0);
    EXPECT_FALSE(fresh.player.playing);
    EXPECT_EQ(fresh.view.texts[Control::Edit1], "00:01:10,000");
    EXPECT_EQ(fresh.view.texts[Control::Edit2], "00:00:00,000");
    EXPECT_TRUE(fresh.view.enabled[Control::StartTimeButton]);
    EXPECT_TRUE(fresh.view.enabled[Control::EndTimeButton]);
    EXPECT_EQ(fresh.view.focused, Control::InputEdit);
    EXPECT_FALSE(fresh.controller.session().EditMode);
}

TEST(EditModeBeforeAnyEntry, F8TakesTheStartFromThePositionLabel)
{
    MainRig rig;
    rig.start();
    rig.dialogs.fileToOpen = "/v/clip.mp4";
    rig.controller.OpenButtonClick();
    rig.view.texts[Control::Label1] = "00:00:12,340";
    rig.hotKeys.press(HotKey::F8);
    EXPECT_EQ(rig.view.texts[Control::Edit1], "00:00:12,340");
    EXPECT_EQ(rig.view.texts[Control::Edit2], "00:00:00,000");
    EXPECT_TRUE(rig.view.enabled[Control::StartTimeButton]);
    EXPECT_TRUE(rig.dialogs.errors.empty());
}

// Before a video is open there is no file to keep an entry: F8 prepares the fields but marks stay off, and
// F8, F9, F10 and Enter say so instead of making an entry that would be lost at exit.
TEST(EditModeBeforeAnyVideo, NoKeyMakesAnEntryAndEachSaysToOpenAVideo)
{
    MainRig rig;
    rig.start();
    rig.view.texts[Control::Label1] = "00:00:12,340";
    rig.hotKeys.press(HotKey::F8);
    EXPECT_EQ(rig.view.texts[Control::Edit1], "00:00:12,340");
    rig.hotKeys.press(HotKey::F9);
    rig.hotKeys.press(HotKey::F10);
    rig.view.texts[Control::InputEdit] = "Hello";
    rig.controller.InputEditKeyDown(keys::kEnter);
    EXPECT_FALSE(rig.view.enabled[Control::StartTimeButton]);
    EXPECT_FALSE(rig.view.enabled[Control::EndTimeButton]);
    EXPECT_TRUE(rig.controller.documents().PlainDocument.empty());
    EXPECT_EQ(rig.dialogs.errors,
        std::vector<std::string>(3, "还没有打开视频。字幕文件保存在视频旁边：请先打开视频（打开视频[O]）。"));
}

TEST(EditModeEmpty, F7WithAnEmptyDocumentShowsTheEmptyViewAndPauses)
{
    MainRig rig;
    rig.start();
    rig.hotKeys.press(HotKey::F7);
    EXPECT_TRUE(rig.view.visible[Control::UserRichEdit]);
    EXPECT_EQ(rig.view.caretLine, 0);
    EXPECT_EQ(rig.player.calls.back(), "pause");
}

TEST_F(EditModeTest, UndoTakesBackALinesTypingAndRedoBringsItBackInBothDocumentsAndFiles)
{
    const std::string plainBefore = plain().text();
    const std::string formattedBefore = formatted().text();
    caretAt(2, 5);
    type('!', 2, "Hello!");
    type('?', 2, "Hello!?");
    caretAt(6, 0);
    type('x', 6, "x你");
    const std::string plainTyped = plain().text();
    const std::string formattedTyped = formatted().text();

    // The caret stays on line 6; the second undo still reaches line 2, its text line recomposed.
    controller.plainUndo();
    EXPECT_EQ(plain().line(6), "\xC4\xE3");
    EXPECT_EQ(formatted().line(6), kDefaultBlock + "\xC4\xE3</b>");
    controller.plainUndo();
    EXPECT_EQ(plain().text(), plainBefore) << "one step for the typing on one line";
    EXPECT_EQ(formatted().text(), formattedBefore);
    EXPECT_EQ(files.files[kPlain], plainBefore);
    EXPECT_EQ(files.files[kFormatted], formattedBefore);
    const std::size_t writes = files.writes.size();
    controller.plainUndo();
    EXPECT_EQ(files.writes.size(), writes) << "nothing left to undo: nothing written";

    controller.plainRedo();
    controller.plainRedo();
    EXPECT_EQ(plain().text(), plainTyped);
    EXPECT_EQ(formatted().text(), formattedTyped);
    EXPECT_EQ(files.files[kPlain], plainTyped);
    EXPECT_EQ(files.files[kFormatted], formattedTyped);
    EXPECT_EQ(view.plainLines.at(2), "Hello!?") << "the view mirrors every step";
    EXPECT_EQ(view.plainLines.at(6), "x你");
    EXPECT_EQ(plain().lineCount(), 12u);
    EXPECT_EQ(formatted().lineCount(), 12u);
}

TEST_F(EditModeTest, UndoOfATimeLineIsCarriedLikeTheEdit)
{
    caretAt(1, 11);
    type('2', 1, "00:00:05,200 --> 00:00:07,500");
    caretAt(10, 0);
    controller.UserRichEditMouseDown();
    controller.plainUndo();
    EXPECT_EQ(plain().line(1), "00:00:05,000 --> 00:00:07,500");
    EXPECT_EQ(formatted().line(1), "00:00:05,000 --> 00:00:07,500");
    EXPECT_EQ(formatted().line(9), "00:00:05,000 --> 00:00:07,500");
    EXPECT_EQ(files.files[kFormatted], formatted().text());
    EXPECT_EQ(session().SelectedLineText, "abc") << "the caret's line is followed as before";
    controller.plainRedo();
    EXPECT_EQ(formatted().line(9), "00:00:05,200 --> 00:00:07,500");
}

TEST_F(EditModeTest, NewEditAfterAnUndoDropsTheRedoAndAReloadDropsTheHistory)
{
    caretAt(2, 5);
    type('!', 2, "Hello!");
    controller.plainUndo();
    type('?', 2, "Hello?");
    controller.plainRedo();
    EXPECT_EQ(plain().line(2), "Hello?");
    controller.plainUndo();
    EXPECT_EQ(plain().line(2), "Hello");

    type('#', 2, "Hello#");
    controller.ContinueButtonClick();
    open();
    controller.Timer1Timer();
    const std::string reloaded = plain().text();
    controller.plainUndo();
    EXPECT_EQ(plain().text(), reloaded) << "the undo steps of the document before the load are gone";
}

TEST_F(EditModeTest, TypingErasedAgainLeavesNothingToUndo)
{
    caretAt(2, 5);
    type('!', 2, "Hello!");
    caretAt(2, 6);
    type(keys::kBackspace, 2, "Hello");
    const std::size_t writes = files.writes.size();
    controller.plainUndo();
    EXPECT_EQ(plain().line(2), "Hello");
    EXPECT_EQ(files.writes.size(), writes);
}

TEST_F(EditModeTest, UndoOutsideEditModeChangesNothing)
{
    caretAt(2, 5);
    type('!', 2, "Hello!");
    controller.ContinueButtonClick();
    const std::size_t writes = files.writes.size();
    controller.plainUndo();
    EXPECT_EQ(plain().line(2), "Hello!");
    EXPECT_EQ(files.writes.size(), writes);
}

} // namespace
} // namespace vantor::test
