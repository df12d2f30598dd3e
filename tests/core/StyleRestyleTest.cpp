// Saving the dialog restyles the formatted document: the three cases, their stops, and documents whose
// first text line does not begin with the block a case expects.
#include "StyleFixture.h"

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace vantor::test {
namespace {

const std::string D = kDefaultBlockUtf8;
const std::string R = kRedBlockUtf8;
const std::string R200 = "<font color=#FF0000>{\\fn黑体\\fs18\\pos(200,270)\\}";
const std::string G = "<font color=#00FF00>{\\fn黑体\\fs18\\pos(190,270)\\}";
// 皚 is B0 7D in GBK: its second byte is "}".
const std::string P = "<font color=#FF0000>{\\fn皚\\fs18\\pos(190,270)\\}";
const std::string P200 = "<font color=#FF0000>{\\fn皚\\fs18\\pos(200,270)\\}";
const std::string T1 = "00:00:01,000 --> 00:00:02,500";
const std::string T2 = "00:00:03,000 --> 00:00:04,000";

struct Rows {
    std::string colour, name, size, left, top;
};
const Rows kRed { "#FF0000", "黑体", "18", "190", "270" };
const Rows kRedLeft200 { "#FF0000", "黑体", "18", "200", "270" };
const Rows kGreen { "#00FF00", "黑体", "18", "190", "270" };
const Rows kBraceTrail200 { "#FF0000", "皚", "18", "200", "270" };

struct RestyleCase {
    const char* name;
    std::vector<std::string> before;
    bool customStyleBefore;
    bool ticked;
    Rows rows; // the custom view's rows when the box is cleared
    std::vector<std::string> after;
    bool customStyleAfter;
    bool rewritten;
};

const RestyleCase kCases[] = {
    // Case 1, default to custom.
    { "DefaultToCustomReplacesEveryBlockAndDropsEveryBoldEnd", twoEntries(D + "Hello</b>", D + "World</b>"),
        false, false, kRed, twoEntries(R + "Hello", R + "World"), true, true },
    { "DefaultToCustomLeavesAnotherBlockButDropsItsBoldEnd", twoEntries(D + "Hello</b>", R + "World</b>"),
        false, false, kGreen, twoEntries(G + "Hello", R + "World"), true, true },
    // Case 3, custom to custom.
    { "SameCustomValuesChangeNothing", twoEntries(R + "Hello", R + "World"), true, false, kRed,
        twoEntries(R + "Hello", R + "World"), true, false },
    { "NewLeftPositionReplacesEveryOldBlock", twoEntries(R + "Hello", R + "World"), true, false, kRedLeft200,
        twoEntries(R200 + "Hello", R200 + "World"), true, true },
    { "ALineWithAnotherBlockKeepsItsTags", twoEntries(R + "Hello", G + "World"), true, false, kRedLeft200,
        twoEntries(R200 + "Hello", G + "World"), true, true },
    { "BraceAsSecondByteOfAFontNameStaysInsideTheBlock", twoEntries(P + "Hello", P + "World"), true, false,
        kBraceTrail200, twoEntries(P200 + "Hello", P200 + "World"), true, true },
    // Case 2, any to default.
    { "CustomToDefaultRestoresTheBoldEnd", twoEntries(R + "Hello", R + "World"), true, true, {},
        twoEntries(D + "Hello</b>", D + "World</b>"), false, true },
    { "CustomTagsEnteredWithoutTheFlagKeepTheirOneBoldEnd", twoEntries(R + "Hello</b>", R + "World</b>"),
        false, true, {}, twoEntries(D + "Hello</b>", D + "World</b>"), false, true },
    { "DefaultDocumentStaysAsItIs", twoEntries(D + "Hello</b>", D + "World</b>"), true, true, {},
        twoEntries(D + "Hello</b>", D + "World</b>"), false, false },
    // Empty documents change nothing, the flag included.
    { "EmptyDocumentToDefaultKeepsTheFlag", {}, true, true, {}, {}, true, false },
    { "EmptyDocumentToCustomKeepsTheFlag", {}, false, false, kRed, {}, false, false },
    // First text lines that do not begin with the block the case expects: each text line on its own.
    { "CustomTagsWithoutTheFlagToCustomGoLineByLine", twoEntries(R + "Hello</b>", G + "World</b>"), false,
        false, kGreen, twoEntries(G + "Hello", G + "World"), true, true },
    { "PlainFileToCustomGetsTheBlockInFront", twoEntries("Hello", "<i>World</i>"), false, false, kRed,
        twoEntries(R + "Hello", R + "<i>World</i>"), true, true },
    { "OverrideCodesFromElsewhereAreReplaced", twoEntries("{\\an8}Hello", "World"), false, false, kRed,
        twoEntries(R + "Hello", R + "World"), true, true },
    { "DelimitersInSubtitleTextAreNeverAPattern", twoEntries("Hello <i>there</i>", "{\\an8}Bye"), true, false,
        kRed, twoEntries(R + "Hello <i>there</i>", R + "Bye"), true, true },
    { "PlainFileToDefaultClosesEachBold", twoEntries("Hello", "<b>Hi</b>"), true, true, {},
        twoEntries(D + "Hello</b>", D + "<b>Hi</b></b>"), false, true },
    { "OnlyTheFirstLineBelowATimeLineIsAText",
        { "1", T1, "", "", "2", T2, "Line one", "Line two", "", "3", "garbage {x}", "" }, false, false, kRed,
        { "1", T1, "", "", "2", T2, R + "Line one", "Line two", "", "3", "garbage {x}", "" }, true, true },
};

void PrintTo(const RestyleCase& c, std::ostream* os)
{
    *os << c.name;
}

class RestyleTest : public StyleFixture,
                    public ::testing::WithParamInterface<std::tuple<RestyleCase, CodePage>> { };

TEST_P(RestyleTest, SaveRestylesTheFormattedDocument)
{
    const auto& [c, codePage] = GetParam();
    documents.codePage = codePage;
    setFormatted(c.before);
    session.CustomStyle = c.customStyleBefore;
    if (c.ticked)
        view.ticked = true;
    else
        showCustom(c.rows.colour, c.rows.name, c.rows.size, c.rows.left, c.rows.top);

    options.SaveButtonClick();

    // Byte for byte: lines the restyle does not touch keep their exact bytes.
    std::vector<std::string> expected;
    for (const std::string& line : c.after)
        expected.push_back(bytes(line));
    EXPECT_EQ(expected, documents.FormattedDocument.lines());
    EXPECT_EQ(c.customStyleAfter, session.CustomStyle);
    EXPECT_EQ(c.rewritten, formattedChanges > 0);
    EXPECT_EQ(0, plainChanges);
    EXPECT_EQ(1, view.hides);
}

INSTANTIATE_TEST_SUITE_P(Cases, RestyleTest,
    ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Values(CodePage::Gbk, CodePage::Utf8)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name)
            + (std::get<1>(info.param) == CodePage::Gbk ? "_Gbk" : "_Utf8");
    });

class RestyleStopsTest : public StyleFixture { };

TEST_F(RestyleStopsTest, DefaultToCustomRewritesTwiceThroughTheScratchBuffer)
{
    setFormatted(twoEntries(D + "Hello</b>", D + "World</b>"));
    int scratchChanges = 0;
    documents.ScratchBuffer.setChangeHandler([&] { ++scratchChanges; });
    showCustom("#FF0000", "黑体", "18", "190", "270");
    options.buildCustomStyleFromControls();
    options.RestyleFormattedDocument();
    // Each rewrite clears and sets the scratch buffer, then clears and sets the document.
    EXPECT_EQ(4, scratchChanges);
    EXPECT_EQ(4, formattedChanges);
    EXPECT_TRUE(session.CustomStyle);
}

} // namespace
} // namespace vantor::test
