// The style block formats, colour texts, read-back and block location, on GBK bytes.
#include "srt/StyleTags.h"
#include "IconvCodec.h"
#include "model/VantorError.h"
#include "style/Restyle.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace vantor::test {
namespace {

IconvCodec codec;

std::string gbk(const std::string& utf8)
{
    return codec.encode(utf8, CodePage::Gbk);
}

TEST(StyleTags, DefaultPiecesHaveTheirByteLengthsInGbk)
{
    EXPECT_EQ(38u, gbk(std::string(kDefaultStylePart1)).size());
    EXPECT_EQ(41u, gbk(std::string(kDefaultStyleBlock)).size());
    EXPECT_EQ(
        std::string(kDefaultStyleBlock), std::string(kDefaultStylePart1) + std::string(kDefaultStylePart2));
}

struct ComposeCase {
    const char* part1;
    const char* part2;
    bool custom;
    const char* expected;
};

class ComposeTextLineTest : public ::testing::TestWithParam<ComposeCase> { };

TEST_P(ComposeTextLineTest, FlagAloneChoosesWhetherTheBoldEndFollows)
{
    const ComposeCase& c = GetParam();
    EXPECT_EQ(c.expected, composeTextLine(c.part1, c.part2, "Hello", c.custom));
}

INSTANTIATE_TEST_SUITE_P(Rows, ComposeTextLineTest,
    ::testing::Values(ComposeCase { "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}", "<b>", false,
                          "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>Hello</b>" },
        ComposeCase { "<font color=#FF0000>", "{\\fn黑体\\fs18\\pos(190,270)\\}", true,
            "<font color=#FF0000>{\\fn黑体\\fs18\\pos(190,270)\\}Hello" },
        ComposeCase { "<font color=#FF0000>", "{\\fn黑体\\fs18\\pos(190,270)\\}", false,
            "<font color=#FF0000>{\\fn黑体\\fs18\\pos(190,270)\\}Hello</b>" },
        ComposeCase { "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}", "<b>", true,
            "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>Hello" }));

struct PiecesCase {
    const char* colour;
    const char* name;
    const char* size;
    const char* left;
    const char* top;
    const char* part1;
    const char* part2;
};

class BuildCustomPiecesTest : public ::testing::TestWithParam<PiecesCase> { };

TEST_P(BuildCustomPiecesTest, TrimsAllButTheSize)
{
    const PiecesCase& c = GetParam();
    const StylePieces pieces = buildCustomPieces(c.colour, c.name, c.size, c.left, c.top);
    EXPECT_EQ(c.part1, pieces.part1);
    EXPECT_EQ(c.part2, pieces.part2);
}

INSTANTIATE_TEST_SUITE_P(Texts, BuildCustomPiecesTest,
    ::testing::Values(PiecesCase { "#FF0000", "黑体", "18", "190", "270", "<font color=#FF0000>",
                          "{\\fn黑体\\fs18\\pos(190,270)\\}" },
        PiecesCase { " #FF0000 ", "\t黑体 ", " 18", " 190\n", "270 ", "<font color=#FF0000>",
            "{\\fn黑体\\fs 18\\pos(190,270)\\}" },
        PiecesCase { "", "", "", "", "", "<font color=>", "{\\fn\\fs\\pos(,)\\}" }));

TEST(ColorToHexText, GivesRedGreenBlueInUpperCaseAndIgnoresTheTopByte)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        { 255u, "FF0000" },
        { 128u * 256 + 255u * 65536, "0080FF" },
        { 0u, "000000" },
        { 0xFFFFFFu, "FFFFFF" },
        { 0xAB0000FFu, "FF0000" },
        { 0x00ABCDEFu, "EFCDAB" },
    };
    for (const auto& [colour, text] : cases)
        EXPECT_EQ(text, ColorToHexText(colour)) << colour;
}

TEST(HexTextToColor, ReadsPairsInAnyCaseAndIgnoresWhatFollowsTheSixth)
{
    const std::pair<const char*, std::uint32_t> cases[] = {
        { "FF0000", 255u },
        { "ff0000", 255u },
        { "0080FF", 128u * 256 + 255u * 65536 },
        { "FFFFFF", 0xFFFFFFu },
        { "0080ffXYZ", 128u * 256 + 255u * 65536 },
    };
    for (const auto& [text, colour] : cases)
        EXPECT_EQ(colour, HexTextToColor(text)) << text;
}

TEST(HexTextToColor, NamesTheFirstBadPairConvertingBlueFirst)
{
    const std::pair<const char*, const char*> cases[] = {
        { "GG0000", "'$GG' is not a valid integer value" },
        { "XX00YY", "'$YY' is not a valid integer value" },
        { "FFZZ00", "'$ZZ' is not a valid integer value" },
        { "FF00", "'$' is not a valid integer value" },
        { "FF00F", "'$F' is not a valid integer value" },
        { "", "'$' is not a valid integer value" },
    };
    for (const auto& [text, message] : cases) {
        try {
            HexTextToColor(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const Error& error) {
            EXPECT_EQ(std::string(message), error.what()) << text;
        }
    }
}

TEST(MayBeCustomStyled, OnlyALineWithABraceNotStartingWithOneKeepsTheCustomStyle)
{
    const std::pair<std::string, bool> cases[] = {
        { gbk("{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>Hello</b>"), false },
        { "Hello", false },
        { "", false },
        { " \t{\\an8}Hello", false },
        { gbk("<font color=#FF0000>{\\fn黑体\\fs18\\pos(190,270)\\}Hello"), true },
        { "Hello }", true },
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(expected, mayBeCustomStyled(line)) << line;
}

struct ReadBackCase {
    std::string line;
    std::string colour, name, size, left, top;
};

class ReadBackTest : public ::testing::TestWithParam<ReadBackCase> { };

TEST_P(ReadBackTest, TakesTheFixedWidthsOfTheFormat)
{
    const ReadBackCase& c = GetParam();
    const CustomStyleReadBack style = readBackCustomStyle(c.line);
    EXPECT_EQ(c.colour, style.colourText);
    EXPECT_EQ(c.name, style.fontName);
    EXPECT_EQ(c.size, style.fontSize);
    EXPECT_EQ(c.left, style.left);
    EXPECT_EQ(c.top, style.top);
}

INSTANTIATE_TEST_SUITE_P(Lines, ReadBackTest,
    ::testing::Values(ReadBackCase { gbk("<font color=#FF0000>{\\fn黑体\\fs18\\pos(190,270)\\}Hello"),
                          "#FF0000", gbk("黑体"), "18", "190", "270" },
        // A one-digit size comes back with the backslash after it, a short position with its neighbours.
        ReadBackCase {
            "<font color=#00FF00>{\\fnArial\\fs8\\pos(5,60)\\}Hi", "#00FF00", "Arial", "8\\", "5,6", "60)" },
        // Missing delimiters make the copies start at the line's beginning.
        ReadBackCase { "Hello", "", "", "el", "Hel", "Hel" }));

// A GBK character whose second byte is "}" (皚 is B0 7D).
const std::string kBraceTrail = "皚";

TEST(LocateBlock, FindsTheLeadingBlockOfTheFirstTextLine)
{
    const std::string custom = gbk("1\r\n00:00:01,000 --> 00:00:02,000\r\n"
        + std::string("<font color=#FF0000>{\\fn") + kBraceTrail + "\\fs18\\pos(190,270)\\}Hello\r\n\r\n");
    EXPECT_EQ(gbk("<font color=#FF0000>{\\fn" + kBraceTrail + "\\fs18\\pos(190,270)\\}"),
        locateCustomBlock(custom));

    const std::string defaultStyled
        = gbk("1\r\n00:00:01,000 --> "
              "00:00:02,000\r\n{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>Hello</b>\r\n\r\n");
    EXPECT_EQ(gbk(std::string(kDefaultStyleBlock)), locateDefaultBlock(defaultStyled, 3));
    // In a default-styled document the first "<" lies after the first "}".
    EXPECT_EQ("", locateCustomBlock(defaultStyled));
}

TEST(LocateBlock, RefusesATextThatTakesInMoreThanTags)
{
    // The first "<" in subtitle text, the first "}" in a later entry.
    const std::string spread
        = "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello <i>there</i>\r\n\r\n2\r\n00:00:03,000 "
          "--> 00:00:04,000\r\n{\\an8}Bye\r\n\r\n";
    // No "}" at all.
    const std::string unclosed = "1\r\n00:00:01,000 --> 00:00:02,000\r\n<i>Hello</i>\r\n\r\n";
    // A block that does not open its line.
    const std::string inside
        = "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi <font color=#FF0000>{\\fnA\\fs18\\pos(1,2)\\}\r\n\r\n";
    for (const std::string& text : { spread, unclosed, inside })
        EXPECT_EQ("", locateCustomBlock(text)) << text;
    for (const std::string& text : { unclosed, inside })
        EXPECT_EQ("", locateDefaultBlock(text, 0)) << text;
    // The leading override block of the second entry's text line is a block of tags on its own.
    EXPECT_EQ("{\\an8}", locateDefaultBlock(spread, 0));
}

struct LeadingBlockCase {
    std::string line;
    StyleBlockKind kind;
    std::string block;
};

class LeadingStyleBlockTest : public ::testing::TestWithParam<LeadingBlockCase> { };

TEST_P(LeadingStyleBlockTest, RecognisesOnlyTagsAtTheLineStart)
{
    const LeadingBlockCase& c = GetParam();
    const StyleBlock found = leadingStyleBlock(c.line, CodePage::Gbk);
    EXPECT_EQ(c.kind, found.kind);
    EXPECT_EQ(c.block, c.line.substr(0, found.length));
}

INSTANTIATE_TEST_SUITE_P(Lines, LeadingStyleBlockTest,
    ::testing::Values(LeadingBlockCase { gbk(std::string(kDefaultStyleBlock) + "Hello</b>"),
                          StyleBlockKind::DefaultBold, gbk(std::string(kDefaultStyleBlock)) },
        LeadingBlockCase { gbk("<font color=#FF0000>{\\fn" + kBraceTrail + "\\fs18\\pos(190,270)\\}Hi"),
            StyleBlockKind::Custom,
            gbk("<font color=#FF0000>{\\fn" + kBraceTrail + "\\fs18\\pos(190,270)\\}") },
        LeadingBlockCase { "{\\an8}Hello", StyleBlockKind::Override, "{\\an8}" },
        LeadingBlockCase { "<b>{\\an8}Hello", StyleBlockKind::Custom, "<b>{\\an8}" },
        LeadingBlockCase { "<i>Hello</i> {x}", StyleBlockKind::None, "" },
        LeadingBlockCase { "<b>Hi</b>", StyleBlockKind::None, "" },
        LeadingBlockCase { "{unclosed", StyleBlockKind::None, "" },
        LeadingBlockCase { "{a{b}c", StyleBlockKind::None, "" },
        LeadingBlockCase { "Hello {x}", StyleBlockKind::None, "" },
        LeadingBlockCase { "", StyleBlockKind::None, "" }));

TEST(BalanceBoldEnd, ClosesTheDefaultBoldAndDropsAStrayEndForCustom)
{
    struct Case {
        const char* line;
        RestyleTarget target;
        const char* expected;
    };
    const Case cases[] = {
        { "{x}<b>Hello", RestyleTarget::Default, "{x}<b>Hello</b>" },
        { "{x}<b>Hello</b>", RestyleTarget::Default, "{x}<b>Hello</b>" },
        { "{x}<b><b>Hi</b>", RestyleTarget::Default, "{x}<b><b>Hi</b></b>" },
        { "<font>{x}Hello</b>", RestyleTarget::Custom, "<font>{x}Hello" },
        { "<font>{x}<b>Hi</b>", RestyleTarget::Custom, "<font>{x}<b>Hi</b>" },
        { "<font>{x}Hello", RestyleTarget::Custom, "<font>{x}Hello" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, balanceBoldEnd(c.line, c.target)) << c.line;
}

} // namespace
} // namespace vantor::test
