// Faults the fuzz targets of tests/fuzz found, each kept here as the smallest case that shows it.
#include "MainFixture.h"
#include "StyleFixture.h"
#include "srt/TimeCode.h"

#include <ostream>
#include <string>
#include <vector>

namespace vantor::test {
namespace {

// Saving the default style on a document whose text lines already carry the default block changes nothing,
// whatever bold tags the subtitles' own text holds. The restyle used to close every "<b>" it counted, so
// each save added one more "</b>" to a line whose text held "<b>".
struct DefaultSaveCase {
    const char* name;
    std::string first;
    std::string second;
};

void PrintTo(const DefaultSaveCase& c, std::ostream* os)
{
    *os << c.name;
}

class DefaultSaveOnDefaultDocument : public StyleFixture,
                                     public ::testing::WithParamInterface<DefaultSaveCase> { };

TEST_P(DefaultSaveOnDefaultDocument, LeavesEveryLineAsItIs)
{
    const std::vector<std::string> lines = twoEntries(GetParam().first, GetParam().second);
    setFormatted(lines);
    session.CustomStyle = false;
    view.ticked = true;
    options.SaveButtonClick();
    EXPECT_EQ(lines, formattedLines());
    EXPECT_EQ(0, formattedChanges);
    options.SaveButtonClick();
    EXPECT_EQ(lines, formattedLines()) << "a second save changes nothing either";
}

INSTANTIATE_TEST_SUITE_P(Lines, DefaultSaveOnDefaultDocument,
    ::testing::Values(DefaultSaveCase { "TypedBoldTagInTheText", kDefaultBlockUtf8 + "a<b>b</b>",
                          kDefaultBlockUtf8 + "Hello</b>" },
        DefaultSaveCase { "LineComposedWhileTheCustomFlagWasSet", kDefaultBlockUtf8 + "Hello",
            kDefaultBlockUtf8 + "World</b>" },
        DefaultSaveCase {
            "TwoOpenTagsInTheText", kDefaultBlockUtf8 + "<b>x<b>y</b>", kDefaultBlockUtf8 + "z</b>" }),
    [](const auto& info) { return info.param.name; });

// Saving the custom style again on a custom document changes nothing, also where a stray "}" before the
// first text line keeps the old block from being located in the whole text and each text line is restyled
// on its own. That path used to drop one more "</b>" of the subtitle's own text on every save.
class CustomSaveAgainOnCustomDocument : public StyleFixture { };

TEST_F(CustomSaveAgainOnCustomDocument, LeavesTheLinesInThatStyleAsTheyAre)
{
    const std::vector<std::string> lines = { "1", "00:00:01,000 --> 00:00:02,500 }", kRedBlockUtf8 + "Hello",
        "", "2", "00:00:03,000 --> 00:00:04,000", kRedBlockUtf8 + "World</b>", "", "3",
        "00:00:05,000 --> 00:00:06,000", kRedBlockUtf8 + "a</b></b>", "" };
    setFormatted(lines);
    session.CustomStyle = true;
    showCustom("#FF0000", "黑体", "18", "190", "270");
    options.SaveButtonClick();
    EXPECT_EQ(lines, formattedLines());
    EXPECT_EQ(0, formattedChanges);
    EXPECT_TRUE(session.CustomStyle);
}

// Style pieces the subtitle file's code page cannot hold (a custom font whose name has Korean letters, kept
// by closing the dialog after its save failed) refuse the entry before either document changes. The text
// line used to be composed after the plain document had its four lines, so the formatted document got two.
class EntryWithPiecesTheFileCannotHold : public MainFixture { };

TEST_F(EntryWithPiecesTheFileCannotHold, ChangesNeitherDocumentAndWritesNothing)
{
    open();
    controller.fontDialogs().current().BuildCustomStyle("#FF0000", "한글", "18", "190", "270");
    player.position = 1.0;
    hotKeys.press(HotKey::F9);
    player.position = 2.0;
    hotKeys.press(HotKey::F10);
    player.position = 2.05;
    controller.Timer1Timer();
    view.texts[Control::InputEdit] = "Hello";
    EXPECT_THROW(controller.InputEditKeyDown(keys::kEnter), Error);
    EXPECT_EQ(0u, controller.documents().PlainDocument.lineCount());
    EXPECT_EQ(0u, controller.documents().FormattedDocument.lineCount());
    EXPECT_EQ(0, session().EntryCount);
    EXPECT_EQ(std::vector<std::string>(), writtenPaths());
    EXPECT_EQ("Hello", view.texts[Control::InputEdit]) << "the typed text stays for another try";
}

// An integer text takes one sign at most. A second one used to reach from_chars, which read it as the sign:
// "--22" gave 22, and "--9223372036854775808" negated LLONG_MIN (undefined behaviour).
class IntegerWithTwoSigns : public ::testing::TestWithParam<const char*> { };

TEST_P(IntegerWithTwoSigns, IsNotAValidInteger)
{
    EXPECT_THROW(parseInteger(GetParam()), Error);
}

INSTANTIATE_TEST_SUITE_P(Texts, IntegerWithTwoSigns,
    ::testing::Values("--22", "+-5", "-+5", "++1", "--9223372036854775808", "- 1"));

TEST(TimeCodeWithTwoSigns, MillisecondsWithTwoSignsDoNotConvert)
{
    EXPECT_THROW(timeCodeToSeconds("00:00:01,--5"), Error);
    EXPECT_EQ(-5, parseInteger("-5")) << "one sign still parses";
    EXPECT_EQ(5, parseInteger("+5"));
}

} // namespace
} // namespace vantor::test
