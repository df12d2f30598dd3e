#include "IniFile.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace vantor::test {
namespace {

using Type = IniFile::ValueType;

struct ReadCase {
    const char* name;
    std::string file;
    std::string key;
    Type type;
    std::string text;
};

// Test names in ctest show the case, not its bytes.
void PrintTo(const ReadCase& value, std::ostream* out)
{
    *out << value.name;
}

class IniFileReadTest : public ::testing::TestWithParam<ReadCase> { };

TEST_P(IniFileReadTest, ReadsTheValueQSettingsWouldRead)
{
    const IniFile::Value value = IniFile(GetParam().file).value(GetParam().key);
    EXPECT_EQ(value.type, GetParam().type);
    EXPECT_EQ(value.text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Texts, IniFileReadTest,
    ::testing::Values(
        ReadCase { "Plain", "[General]\nsrtFontColor=#FFFFFF\n", "srtFontColor", Type::Text, "#FFFFFF" },
        ReadCase { "Chinese", "[General]\nsrtFontNameD=黑体\n", "srtFontNameD", Type::Text, "黑体" },
        ReadCase { "Empty", "[General]\nsrtFontPosLD=\n", "srtFontPosLD", Type::Text, "" },
        ReadCase {
            "BlanksAroundDropped", "[General]\na = spaced value  \t\n", "a", Type::Text, "spaced value" },
        ReadCase { "TrailingComment", "[General]\nb=x ; comment\n", "b", Type::Text, "x" },
        ReadCase { "QuotedKeepsSemicolonAndBlanks", "[General]\nc=\"  quoted ; x  \"\n", "c", Type::Text,
            "  quoted ; x  " },
        ReadCase {
            "BackslashContinuesTheLine", "[General]\nd=multi\\\nline\n", "d", Type::Text, "multiline" },
        ReadCase { "Escapes", "[General]\ne=\\x41\\x42 \\t\\\"q\\\" \\\\ \\101\n", "e", Type::Text,
            "AB \t\"q\" \\ A" },
        ReadCase { "DoubledAt", "[General]\nf=@@at\n", "f", Type::Text, "@at" },
        ReadCase { "UnknownAtMarkerIsText", "[General]\ng=@Rect(1 2)\n", "g", Type::Text, "@Rect(1 2)" },
        ReadCase { "StringMarkerHoldsNul", "[General]\nh=@String(a\\0\\x31)\n", "h", Type::Text,
            std::string("a\0001", 3) },
        ReadCase { "LinesBeforeAnySectionAreTopLevel", "pre=before\n[Other]\npre=other\n", "pre", Type::Text,
            "before" },
        ReadCase { "LowerCaseGeneralSection", "[general]\nk=lower\n", "k", Type::Text, "lower" },
        ReadCase { "LastOfRepeatedKeysWins", "[General]\nk=first\n[Other]\nx=1\n[General]\nk=second\n", "k",
            Type::Text, "second" },
        ReadCase { "PercentEscapedKey", "[General]\nsp%20ace=k\n", "sp ace", Type::Text, "k" },
        ReadCase { "Utf8ByteOrderMark", "\xEF\xBB\xBF[General]\nk=bom\n", "k", Type::Text, "bom" },
        ReadCase { "CrLfLines", "[General]\r\nk=crlf\r\nz=1\r\n", "k", Type::Text, "crlf" },
        ReadCase { "NoFinalLineEnd", "[General]\nk=last", "k", Type::Text, "last" },
        ReadCase { "KeyOfAnotherSection", "[Other]\nk=v\n", "k", Type::Absent, "" },
        ReadCase { "GroupCalledGeneral", "[%General]\nk=group\n", "k", Type::Absent, "" },
        ReadCase { "NamesAreCaseSensitive", "[General]\nSrtDefault=1\n", "srtDefault", Type::Absent, "" },
        ReadCase { "CommentedOut", "; top\n[General]\n;k=old\nk2=v\n", "k", Type::Absent, "" },
        ReadCase { "EmptyFile", "", "k", Type::Absent, "" },
        ReadCase { "ByteArray", "[General]\nk=@ByteArray(bytes)\n", "k", Type::NotText, "" },
        ReadCase {
            "Variant", "[General]\nk=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\aQColor)\n", "k", Type::NotText, "" },
        ReadCase { "DateTime", "[General]\nk=@DateTime(\\0\\0\\0\\x10\\0)\n", "k", Type::NotText, "" },
        ReadCase { "Invalid", "[General]\nk=@Invalid()\n", "k", Type::NotText, "" },
        ReadCase { "List", "[General]\nk=a, b\n", "k", Type::NotText, "" },
        ReadCase { "Rect", "[General]\nk=@Rect(1 2 3 4)\n", "k", Type::NotText, "" },
        ReadCase { "Size", "[General]\nk=@Size(1 2)\n", "k", Type::NotText, "" },
        ReadCase { "Point", "[General]\nk=@Point(1 2)\n", "k", Type::NotText, "" }),
    [](const auto& info) { return std::string(info.param.name); });

struct EditCase {
    const char* name;
    std::string before;
    std::string key;
    std::string value;
    std::string after;
};

// Test names in ctest show the case, not its bytes.
void PrintTo(const EditCase& value, std::ostream* out)
{
    *out << value.name;
}

class IniFileEditTest : public ::testing::TestWithParam<EditCase> { };

TEST_P(IniFileEditTest, ChangesOnlyTheValueWrittenAndKeepsEveryOtherByte)
{
    EXPECT_EQ(IniFile(GetParam().before).withValue(GetParam().key, GetParam().value), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Files, IniFileEditTest,
    ::testing::Values(EditCase { "EmptyFile", "", "k", "v", "[General]\nk=v\n" },
        EditCase {
            "ReplacesTheValue", "[General]\na=1\nk=old\nb=2\n", "k", "new", "[General]\na=1\nk=new\nb=2\n" },
        EditCase { "KeepsBlanksAroundTheEqualsSign", "[General]\nk = \"old\"\n", "k", "new",
            "[General]\nk = new\n" },
        EditCase {
            "KeepsATrailingComment", "[General]\nk=old ; note\n", "k", "new", "[General]\nk=new; note\n" },
        EditCase { "ReplacesAValueOverSeveralLines", "[General]\nk=\"line1\nline2\"\nb=2\n", "k", "new",
            "[General]\nk=new\nb=2\n" },
        EditCase { "ReplacesTheLastOfRepeatedKeys", "[General]\nk=1\n[General]\nk=2\n", "k", "3",
            "[General]\nk=1\n[General]\nk=3\n" },
        EditCase { "AddsAfterTheLastKeyOfGeneral", "; mine\n[General]\na=1\n\n[Other]\nx=2\n", "k", "v",
            "; mine\n[General]\na=1\nk=v\n\n[Other]\nx=2\n" },
        EditCase { "AddsBelowAnEmptyGeneralHeader", "[General]\n[Other]\nx=2\n", "k", "v",
            "[General]\nk=v\n[Other]\nx=2\n" },
        EditCase {
            "AddsToTheLinesBeforeAnySection", "a=1\n[Other]\nx=2\n", "k", "v", "a=1\nk=v\n[Other]\nx=2\n" },
        EditCase { "AddsAGeneralSectionAtTheEnd", "[Other]\nk=elsewhere\n", "k", "v",
            "[Other]\nk=elsewhere\n\n[General]\nk=v\n" },
        EditCase {
            "EndsALastLineWithoutLineEnd", "[Other]\nx=2", "k", "v", "[Other]\nx=2\n\n[General]\nk=v\n" },
        EditCase { "AddsAfterAHeaderWithoutLineEnd", "[General]", "k", "v", "[General]\nk=v\n" },
        EditCase { "KeepsCrLfLineEnds", "[General]\r\na=1\r\n[Other]\r\nx=2\r\n", "k", "v",
            "[General]\r\na=1\r\nk=v\r\n[Other]\r\nx=2\r\n" },
        EditCase { "KeepsTheByteOrderMark", "\xEF\xBB\xBF", "k", "v", "\xEF\xBB\xBF[General]\nk=v\n" },
        EditCase { "KeepsLinesQSettingsIgnores", "[General]\n# note\nk=old\n  ;indented\n", "k", "new",
            "[General]\n# note\nk=new\n  ;indented\n" },
        EditCase { "LeavesTheOtherCaseAlone", "[General]\nsrtdefault=0\n", "srtDefault", "1",
            "[General]\nsrtdefault=0\nsrtDefault=1\n" },
        EditCase { "QuotesASemicolon", "", "k", "a;b", "[General]\nk=\"a;b\"\n" },
        EditCase { "DoublesALeadingAt", "", "k", "@x", "[General]\nk=@@x\n" },
        EditCase { "EscapesAKeyOutsideTheSafeCharacters", "", "a b/c", "v", "[General]\na%20b\\c=v\n" }),
    [](const auto& info) { return std::string(info.param.name); });

class IniFileRoundTripTest : public ::testing::TestWithParam<std::string> { };

TEST_P(IniFileRoundTripTest, WrittenTextReadsBackUnchanged)
{
    const std::string others = "; other program\n[General]\nother=1\n[Other]\nk=x\n";
    const IniFile written(IniFile(others).withValue("k", GetParam()));
    const IniFile::Value value = written.value("k");
    EXPECT_EQ(value.type, Type::Text);
    EXPECT_EQ(value.text, GetParam());
    EXPECT_EQ(written.value("other").text, "1");
    // Written a second time over itself, the file does not change.
    EXPECT_EQ(written.withValue("k", GetParam()), written.bytes());
}

INSTANTIATE_TEST_SUITE_P(Values, IniFileRoundTripTest,
    ::testing::Values("", "#FFFFFF", "黑体", "楷体_GB2312", "a=b", "a;b", "a,b", "a, b", "  both ends  ", " ",
        "@", "@x", "@@x", "@ByteArray(x)", "@Invalid()", "tab\there", "new\nline", "cr\rlf",
        "say \"hi\" \\ ok", std::string("\x01") + "f", std::string("nul") + '\0' + "9", "😀 emoji",
        "[General]", "; not a comment", "trailing\\", "del\x7f"));

} // namespace
} // namespace vantor::test
