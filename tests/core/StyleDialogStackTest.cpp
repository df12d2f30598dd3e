// The main window's font dialog objects: the style start-up and the font settings button.
#include "FakeFontOptionView.h"
#include "FakeSettingsStore.h"
#include "IconvCodec.h"
#include "StyleFixture.h"
#include "model/CaptureSession.h"
#include "model/SubtitleDocuments.h"
#include "model/VantorError.h"
#include "srt/StyleTags.h"
#include "style/FontDialogStack.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantor::test {
namespace {

using Writes = std::vector<FakeSettingsStore::Write>;

class FontDialogStackTest : public ::testing::Test {
protected:
    FakeFontOptionViewFactory factory;
    FakeSettingsStore store;
    SubtitleDocuments documents;
    CaptureSession session;
    IconvCodec codec;
    FontDialogStack stack { factory, store, documents, session, codec };

    FakeFontOptionView& startUpView() { return *factory.made.front(); }
};

TEST_F(FontDialogStackTest, ProgramStartMakesOneHiddenObjectWithEmptyPieces)
{
    ASSERT_EQ(1u, factory.made.size());
    EXPECT_EQ(1u, stack.objectCount());
    EXPECT_EQ(&stack.current(), startUpView().handlers);
    EXPECT_EQ("", stack.current().StylePart1());
    EXPECT_EQ(0, startUpView().modalShows);
}

TEST_F(FontDialogStackTest, FirstStartWritesTheEightDefaultsThenFillsTheDialog)
{
    stack.StyleStartUp();
    const Writes expected { { "srtFontColorD", "#FFFFFF" }, { "srtFontNameD", "黑体" },
        { "srtFontSizeD", "18" }, { "srtFontPosLD", "" }, { "srtFontPosUD", "" }, { "srtDefault", "1" },
        { "srtBord", "bord0" }, { "srtShad", "Shad3" } };
    EXPECT_EQ(expected, store.writes);
    EXPECT_EQ("srtDefault", store.reads.front());
    const FakeFontOptionView& view = startUpView();
    EXPECT_TRUE(view.ticked);
    EXPECT_EQ("#FFFFFF", view.text(FontControl::PanelColor));
    EXPECT_EQ("黑体", view.text(FontControl::PanelName));
    EXPECT_EQ("18", view.text(FontControl::PanelSize));
    EXPECT_EQ("", view.text(FontControl::Edit1));
    EXPECT_EQ("", view.text(FontControl::Edit2));
    EXPECT_EQ(std::string(kDefaultStylePart1), stack.current().StylePart1());
    EXPECT_EQ("<b>", stack.current().StylePart2());
    EXPECT_EQ(0, view.modalShows);
}

TEST_F(FontDialogStackTest, StoredFlagDecidesOnlyWhetherTheDefaultsAreWritten)
{
    struct Case {
        const char* srtDefault;
        bool defaultsWritten;
    };
    const Case cases[] = { { "0", false }, { "1", false }, { "", true } };
    for (const Case& c : cases) {
        store = FakeSettingsStore();
        store.values["srtDefault"] = c.srtDefault;
        store.values["srtFontColorD"] = "#00FF00";
        session.CustomStyle = true;
        stack.StyleStartUp();
        EXPECT_EQ(c.defaultsWritten, !store.writes.empty()) << c.srtDefault;
        EXPECT_EQ(c.defaultsWritten ? "#FFFFFF" : "#00FF00", store.values["srtFontColorD"]) << c.srtDefault;
        // Whatever is stored, the program starts with the default pieces.
        EXPECT_EQ(std::string(kDefaultStylePart1), stack.current().StylePart1()) << c.srtDefault;
        EXPECT_EQ("<b>", stack.current().StylePart2());
        EXPECT_FALSE(session.CustomStyle);
    }
}

TEST_F(FontDialogStackTest, StartUpWithoutAStoreLocationReportsTheFirstWrite)
{
    store.locationExists = false;
    try {
        stack.StyleStartUp();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string("Failed to set data for 'srtFontColorD'"), error.what());
    }
    EXPECT_EQ(Writes {}, store.writes);
}

TEST_F(FontDialogStackTest, EachPressMakesANewCurrentObjectShownModally)
{
    stack.StyleStartUp();
    FontOptions* const startUp = &stack.current();
    std::vector<FontOptions*> currentWhileOpen;
    factory.whileModal = [&](FakeFontOptionView& view) {
        currentWhileOpen.push_back(&stack.current());
        EXPECT_EQ(view.handlers, &stack.current());
        // The dialog opened on the empty document shows the default view with the stored defaults.
        EXPECT_TRUE(view.ticked);
        EXPECT_EQ("#FFFFFF", view.text(FontControl::PanelColor));
        EXPECT_EQ(100u, view.items[FontControl::FontSizeComboBox].size());
        if (factory.made.size() == 2) {
            // First press: custom style, saved.
            view.ticked = false;
            view.run([&] { view.handlers->CheckBoxDefaultClick(); });
            view.chooserAnswers = { 0x0000FFu };
            view.run([&] { view.handlers->PanelColorClick(); });
            view.run([&] { view.handlers->SaveButtonClick(); });
        } else {
            // Second press: the close box on the default view.
            view.closeBox();
        }
    };
    stack.BitBtn1Click();
    FontOptions* const first = &stack.current();
    EXPECT_NE(startUp, first);
    EXPECT_EQ("<font color=#FF0000>", first->StylePart1());
    EXPECT_EQ("0", first->DefaultStyleFlag());

    stack.BitBtn1Click();
    FontOptions* const second = &stack.current();
    EXPECT_NE(first, second);
    EXPECT_EQ((std::vector<FontOptions*> { first, second }), currentWhileOpen);
    EXPECT_EQ(3u, stack.objectCount());
    // Only the second object's settings are in effect; the first keeps its own, unused.
    EXPECT_EQ(std::string(kDefaultStylePart1), second->StylePart1());
    EXPECT_EQ("1", second->DefaultStyleFlag());
    EXPECT_EQ("<font color=#FF0000>", first->StylePart1());
    // Each object's chooser starts on black.
    EXPECT_EQ(std::vector<std::uint32_t> { 0u }, factory.made[1]->chooserOpenedOn);
    EXPECT_EQ(1, factory.made[1]->modalShows);
    EXPECT_EQ(1, factory.made[2]->modalShows);
    EXPECT_EQ(0, startUpView().modalShows);
    // The first press's save stored its values; the close box stored nothing more.
    EXPECT_EQ("0", store.values["srtDefault"]);
    EXPECT_EQ("#FF0000", store.values["srtFontColor"]);
}

TEST_F(FontDialogStackTest, ComposedLinesUseTheCurrentObjectsPieces)
{
    stack.StyleStartUp();
    const std::string hello = "Hello";
    EXPECT_EQ(codec.encode(kDefaultBlockUtf8 + "Hello</b>", CodePage::Gbk),
        stack.current().ComposeTextLine(hello, false));
    factory.whileModal = [](FakeFontOptionView& view) {
        view.ticked = false;
        view.run([&] { view.handlers->CheckBoxDefaultClick(); });
        view.closeBox();
    };
    stack.BitBtn1Click();
    // The close box left the custom pieces of the shown stored defaults on the new current object.
    EXPECT_EQ(codec.encode("<font color=#FFFFFF>{\\fn黑体\\fs18\\pos(190,270)\\}Hello", CodePage::Gbk),
        stack.current().ComposeTextLine(hello, true));
}

} // namespace
} // namespace vantor::test
