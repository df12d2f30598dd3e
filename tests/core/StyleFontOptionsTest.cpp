// One font dialog object: its views, its handlers, save and close, with a recording fake window.
#include "StyleFixture.h"
#include "model/VantorError.h"
#include "srt/StyleTags.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vantor::test {
namespace {

using Writes = std::vector<FakeSettingsStore::Write>;

class FontOptionsTest : public StyleFixture { };

struct ShownRows {
    bool ticked;
    std::string colour;
    std::uint32_t colourValue;
    std::string name, size, left, top;
    bool panel2Enabled;
};

void expectRows(const FakeFontOptionView& view, const ShownRows& rows)
{
    EXPECT_EQ(rows.ticked, view.ticked);
    EXPECT_EQ(rows.colour, view.text(FontControl::PanelColor));
    EXPECT_EQ(std::optional<std::uint32_t>(rows.colourValue), view.panelColour);
    EXPECT_EQ(rows.name, view.text(FontControl::PanelName));
    EXPECT_EQ(rows.size, view.text(FontControl::PanelSize));
    EXPECT_EQ(rows.left, view.text(FontControl::Edit1));
    EXPECT_EQ(rows.top, view.text(FontControl::Edit2));
    EXPECT_EQ(rows.panel2Enabled, view.enabled.at(FontControl::Panel2));
}

TEST_F(FontOptionsTest, FreshObjectHasEmptyPiecesAndFlag)
{
    EXPECT_EQ("", options.StylePart1());
    EXPECT_EQ("", options.StylePart2());
    EXPECT_EQ("", options.DefaultStyleFlag());
}

TEST_F(FontOptionsTest, FormShowFillsTheListsThenTheRows)
{
    storeDefaults();
    view.families = { "Noto Sans CJK SC", "ar pl ukai cn", "DejaVu Sans", "Z003" };
    options.FormShow();

    EXPECT_EQ(std::vector<FontControl> { FontControl::PanelColor }, view.focusHistory);
    // The size list is cleared before the name list is filled, then gets its hundred sizes.
    const std::vector<std::pair<FontControl, std::size_t>> calls { { FontControl::FontSizeComboBox, 0 },
        { FontControl::FontNameComboBox, 5 }, { FontControl::FontSizeComboBox, 100 } };
    EXPECT_EQ(calls, view.itemCalls);
    EXPECT_EQ(
        (std::vector<std::string> { "ar pl ukai cn", "Default", "DejaVu Sans", "Noto Sans CJK SC", "Z003" }),
        view.items[FontControl::FontNameComboBox]);
    const auto& sizes = view.items[FontControl::FontSizeComboBox];
    EXPECT_EQ("1", sizes.front());
    EXPECT_EQ("2", sizes[1]);
    EXPECT_EQ("100", sizes.back());
    EXPECT_TRUE(std::is_sorted(sizes.begin(), sizes.end(),
        [](const std::string& a, const std::string& b) { return std::stoi(a) < std::stoi(b); }));
    EXPECT_TRUE(view.selected.empty());
    expectRows(view, { true, "#FFFFFF", 0xFFFFFF, "黑体", "18", "", "", false });
}

TEST_F(FontOptionsTest, FontListHoldsDefaultOnceWhenTheSystemAlreadyHasIt)
{
    view.families = { "Default", "Arial" };
    storeDefaults();
    options.FormShow();
    EXPECT_EQ((std::vector<std::string> { "Arial", "Default" }), view.items[FontControl::FontNameComboBox]);
}

TEST_F(FontOptionsTest, EmptyDocumentShowsTheStoredDefaultsReadAfresh)
{
    storeDefaults();
    store.values["srtFontPosLD"] = "12";
    store.values["srtFontPosUD"] = "34";
    options.LoadStyleIntoDialog();
    expectRows(view, { true, "#FFFFFF", 0xFFFFFF, "黑体", "18", "12", "34", false });
    // The colour value is read once for the caption and again for the background.
    EXPECT_EQ(2, std::count(store.reads.begin(), store.reads.end(), "srtFontColorD"));
    EXPECT_FALSE(session.CustomStyle);
}

TEST_F(FontOptionsTest, CustomDocumentShowsTheCustomViewReadBackFromItsFirstTextLine)
{
    storeDefaults();
    setFormatted(twoEntries(kRedBlockUtf8 + "Hello", kRedBlockUtf8 + "World"));
    session.CustomStyle = true;
    options.LoadStyleIntoDialog();
    expectRows(view, { false, "#FF0000", 0x0000FF, "黑体", "18", "190", "270", true });
    EXPECT_EQ(std::vector<bool> { false }, view.tickHistory);
    EXPECT_TRUE(session.CustomStyle);
}

TEST_F(FontOptionsTest, ThirdLinesThatAreNotCustomClearTheCustomStyleAndShowTheDefaults)
{
    const std::vector<std::string> documentsNotCustom[] = {
        {},
        twoEntries(kDefaultBlockUtf8 + "Hello</b>", kDefaultBlockUtf8 + "World</b>"),
        twoEntries("Hello", "World"),
        twoEntries("  {\\an8}Hello", "World"),
    };
    for (const auto& lines : documentsNotCustom) {
        storeDefaults();
        setFormatted(lines);
        session.CustomStyle = true;
        view.ticked = false;
        options.LoadStyleIntoDialog();
        EXPECT_FALSE(session.CustomStyle) << (lines.empty() ? "" : lines[2]);
        expectRows(view, { true, "#FFFFFF", 0xFFFFFF, "黑体", "18", "", "", false });
    }
}

TEST_F(FontOptionsTest, CustomTagsWithoutTheCustomStyleFlagShowTheDefaultView)
{
    storeDefaults();
    setFormatted(twoEntries(kRedBlockUtf8 + "Hello</b>", kRedBlockUtf8 + "World</b>"));
    session.CustomStyle = false;
    options.LoadStyleIntoDialog();
    EXPECT_TRUE(view.ticked);
    EXPECT_TRUE(view.tickHistory.empty());
    EXPECT_EQ("#FFFFFF", view.text(FontControl::PanelColor));
}

TEST_F(FontOptionsTest, ClearingTheBoxShowsStoredCustomValuesWithFixedPositions)
{
    storeDefaults();
    store.values["srtFontColor"] = "#00FF00";
    store.values["srtFontName"] = "宋体";
    store.values["srtFontSize"] = "24";
    store.values["srtFontPosL"] = "5";
    store.values["srtFontPosU"] = "6";
    options.LoadStyleIntoDialog();
    view.ticked = false;
    options.CheckBoxDefaultClick();
    expectRows(view, { false, "#00FF00", 0x00FF00, "宋体", "24", "190", "270", true });
    EXPECT_EQ(0, std::count(store.reads.begin(), store.reads.end(), "srtFontPosL"));

    view.ticked = true;
    options.CheckBoxDefaultClick();
    expectRows(view, { true, "#FFFFFF", 0xFFFFFF, "黑体", "18", "", "", false });
}

TEST_F(FontOptionsTest, ClearingTheBoxWithoutAStoredColourShowsTheDefaultValues)
{
    storeDefaults();
    store.values["srtFontName"] = "宋体";
    view.ticked = false;
    options.CheckBoxDefaultClick();
    expectRows(view, { false, "#FFFFFF", 0xFFFFFF, "黑体", "18", "190", "270", true });
    EXPECT_EQ(0, std::count(store.reads.begin(), store.reads.end(), "srtFontName"));
}

TEST_F(FontOptionsTest, BadStoredColourStopsAfterTheCaptionWithTheConversionError)
{
    storeDefaults();
    store.values["srtFontColorD"] = "#GG0000";
    view.texts[FontControl::PanelName] = "before";
    view.enabled[FontControl::Panel2] = true;
    try {
        options.LoadStyleIntoDialog();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string("'$GG' is not a valid integer value"), error.what());
    }
    EXPECT_EQ("#GG0000", view.text(FontControl::PanelColor));
    EXPECT_EQ("before", view.text(FontControl::PanelName));
    EXPECT_TRUE(view.enabled.at(FontControl::Panel2));
}

TEST_F(FontOptionsTest, ColourChooserOpensOnItsLastAnswerInThisObject)
{
    view.texts[FontControl::PanelColor] = "#FFFFFF";
    view.chooserAnswers = { 128u * 256 + 255u * 65536, std::nullopt, 0x0000FFu };
    options.PanelColorClick();
    EXPECT_EQ("#0080FF", view.text(FontControl::PanelColor));
    EXPECT_EQ(std::optional<std::uint32_t>(128u * 256 + 255u * 65536), view.panelColour);

    // Cancelled: the panel stays as it was.
    view.texts[FontControl::PanelColor] = "#123456";
    view.panelColour = 0x563412;
    options.PanelColorClick();
    EXPECT_EQ("#123456", view.text(FontControl::PanelColor));
    EXPECT_EQ(std::optional<std::uint32_t>(0x563412u), view.panelColour);

    options.PanelColorClick();
    EXPECT_EQ("#FF0000", view.text(FontControl::PanelColor));
    // Black in a new object, then the last colour returned, never the panel's.
    EXPECT_EQ((std::vector<std::uint32_t> { 0u, 128u * 256 + 255u * 65536, 128u * 256 + 255u * 65536 }),
        view.chooserOpenedOn);
}

TEST_F(FontOptionsTest, PanelClicksShowTheirListAndAPickPutsItOnThePanel)
{
    struct Case {
        void (FontOptions::*click)();
        void (FontOptions::*change)();
        FontControl list;
        FontControl panel;
        const char* item;
    };
    const Case cases[] = {
        { &FontOptions::PanelNameClick, &FontOptions::FontNameComboBoxChange, FontControl::FontNameComboBox,
            FontControl::PanelName, "楷体_GB2312" },
        { &FontOptions::PanelSizeClick, &FontOptions::FontSizeComboBoxChange, FontControl::FontSizeComboBox,
            FontControl::PanelSize, "36" },
    };
    for (const Case& c : cases) {
        (options.*c.click)();
        EXPECT_TRUE(view.visible.at(c.list));
        view.pick(c.list, c.item);
        (options.*c.change)();
        EXPECT_FALSE(view.visible.at(c.list));
        EXPECT_EQ(c.item, view.text(c.panel));
    }
}

TEST_F(FontOptionsTest, PositionFieldsTakeOnlyDigitsPointBackspaceAndEnter)
{
    const std::pair<std::uint32_t, bool> cases[] = {
        { 'a', false },
        { '-', false },
        { ' ', false },
        { 'Z', false },
        { ',', false },
        { 0x4E2D, false },
        { 27, false },
        { 22, false },
        { '0', true },
        { '1', true },
        { '9', true },
        { '.', true },
        { 8, true },
        { 13, true },
    };
    for (const auto& [typed, passes] : cases) {
        std::uint32_t key = typed;
        options.Edit1KeyPress(key);
        EXPECT_EQ(passes ? typed : 0u, key) << typed;
    }
}

TEST_F(FontOptionsTest, EnterInThePositionFieldsMovesTheFocusOn)
{
    const int otherKeys[] = { 9, 65, 46, 0 };
    for (int key : otherKeys) {
        options.Edit1KeyDown(key);
        options.Edit2KeyDown(key);
    }
    EXPECT_TRUE(view.focusHistory.empty());
    int enter = 13;
    options.Edit1KeyDown(enter);
    EXPECT_EQ(std::optional<FontControl>(FontControl::Edit2), view.focused);
    options.Edit2KeyDown(enter);
    EXPECT_EQ(std::optional<FontControl>(FontControl::SaveButton), view.focused);
}

TEST_F(FontOptionsTest, SaveInTheDefaultStyleStoresTheShownDefaultsAndCloses)
{
    storeDefaults();
    options.LoadStyleIntoDialog();
    options.SaveButtonClick();
    EXPECT_EQ(std::string(kDefaultStylePart1), options.StylePart1());
    EXPECT_EQ("<b>", options.StylePart2());
    EXPECT_EQ("1", options.DefaultStyleFlag());
    const Writes expected { { "srtDefault", "1" }, { "srtFontColor", "#FFFFFF" }, { "srtFontName", "黑体" },
        { "srtFontSize", "18" }, { "srtFontPosL", "" }, { "srtFontPosU", "" } };
    EXPECT_EQ(expected, store.writes);
    EXPECT_EQ(1, view.hides);

    // Clearing the box afterwards shows the copied default values with the fixed positions.
    view.ticked = false;
    options.CheckBoxDefaultClick();
    expectRows(view, { false, "#FFFFFF", 0xFFFFFF, "黑体", "18", "190", "270", true });
}

TEST_F(FontOptionsTest, SaveInTheCustomStyleBuildsThePiecesFromTheRows)
{
    showCustom(" #FF0000", "黑体", "18", " 190 ", "270");
    options.SaveButtonClick();
    EXPECT_EQ("<font color=#FF0000>", options.StylePart1());
    EXPECT_EQ("{\\fn黑体\\fs18\\pos(190,270)\\}", options.StylePart2());
    EXPECT_EQ("0", options.DefaultStyleFlag());
    const Writes expected { { "srtDefault", "0" }, { "srtFontColor", " #FF0000" }, { "srtFontName", "黑体" },
        { "srtFontSize", "18" }, { "srtFontPosL", "190" }, { "srtFontPosU", "270" } };
    EXPECT_EQ(expected, store.writes);
    EXPECT_EQ(1, view.hides);
}

TEST_F(FontOptionsTest, CloseBoxSetsPiecesAndFlagButRestylesAndStoresNothing)
{
    const std::vector<std::string> lines
        = twoEntries(kDefaultBlockUtf8 + "Hello</b>", kDefaultBlockUtf8 + "World</b>");
    setFormatted(lines);
    showCustom("#FF0000", "黑体", "18", "190", "270");
    view.closeBox();
    EXPECT_EQ("<font color=#FF0000>", options.StylePart1());
    EXPECT_EQ("{\\fn黑体\\fs18\\pos(190,270)\\}", options.StylePart2());
    EXPECT_EQ("0", options.DefaultStyleFlag());
    EXPECT_EQ(Writes {}, store.writes);
    EXPECT_EQ(lines, formattedLines());
    EXPECT_EQ(0, formattedChanges);
    EXPECT_FALSE(session.CustomStyle);

    view.ticked = true;
    view.closeBox();
    EXPECT_EQ(std::string(kDefaultStylePart1), options.StylePart1());
    EXPECT_EQ("1", options.DefaultStyleFlag());
    EXPECT_EQ(Writes {}, store.writes);
}

// The store refuses the first write of the save, for each reason a Linux store has.
class FontOptionsSaveFailure : public FontOptionsTest, public ::testing::WithParamInterface<const char*> { };

TEST_P(FontOptionsSaveFailure, StopsAfterTheRestyleKeepingPiecesAndTheDialogOpen)
{
    storeDefaults();
    store.values["srtDefault"] = "1";
    store.values["srtFontColor"] = "#00FF00";
    setFormatted(twoEntries(kDefaultBlockUtf8 + "Hello</b>", kDefaultBlockUtf8 + "World</b>"));
    showCustom("#FF0000", "黑体", "18", "190", "270");
    if (std::string(GetParam()).empty())
        store.locationExists = false;
    else
        store.failNextWrite(std::string(GetParam()));
    view.run([this] { options.SaveButtonClick(); });

    EXPECT_EQ(std::vector<std::string> { "Failed to set data for 'srtDefault'" }, view.reportedErrors);
    EXPECT_EQ("<font color=#FF0000>", options.StylePart1());
    EXPECT_EQ("0", options.DefaultStyleFlag());
    EXPECT_EQ(0, view.hides);
    EXPECT_EQ(twoEntries(kRedBlockUtf8 + "Hello", kRedBlockUtf8 + "World"), formattedLines());
    EXPECT_EQ(Writes {}, store.writes);
    EXPECT_EQ("1", store.values["srtDefault"]);
    EXPECT_EQ("#00FF00", store.values["srtFontColor"]);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, FontOptionsSaveFailure, ::testing::Values("", "Permission denied", "No space left on device"));

TEST_F(FontOptionsTest, ComposeTextLineEncodesThePiecesForTheDocument)
{
    options.UseDefaultStyle();
    EXPECT_EQ(bytes(kDefaultBlockUtf8 + "你好</b>"), options.ComposeTextLine(bytes("你好"), false));
    options.BuildCustomStyle("#FF0000", "黑体", "18", "190", "270");
    EXPECT_EQ(bytes(kRedBlockUtf8 + "你好"), options.ComposeTextLine(bytes("你好"), true));

    documents.codePage = CodePage::Utf8;
    EXPECT_EQ(kRedBlockUtf8 + "你好</b>", options.ComposeTextLine("你好", false));
}

TEST_F(FontOptionsTest, PiecesTheCodePageCannotHoldFailWithoutTouchingTheDocument)
{
    const std::vector<std::string> lines = twoEntries(kDefaultBlockUtf8 + "Hello</b>", "x");
    setFormatted(lines);
    options.BuildCustomStyle("#FF0000", "😀", "18", "190", "270");
    EXPECT_THROW(options.ComposeTextLine("Hi", true), Error);
    EXPECT_THROW(options.RestyleFormattedDocument(), Error);
    EXPECT_EQ(lines, formattedLines());
    EXPECT_FALSE(session.CustomStyle);
}

} // namespace
} // namespace vantor::test
