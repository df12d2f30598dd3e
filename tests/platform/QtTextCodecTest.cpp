#include "QtTextCodec.h"
#include "model/VantorError.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace vantor::test {
namespace {

struct GbkCase {
    const char* name;
    std::string utf8;
    std::string gbk;
};

// Test names in ctest show the case, not its bytes.
void PrintTo(const GbkCase& value, std::ostream* out)
{
    *out << value.name;
}

class QtTextCodecGbkTest : public ::testing::TestWithParam<GbkCase> {
protected:
    QtTextCodec m_codec;
};

TEST_P(QtTextCodecGbkTest, EncodesToTheGbkBytes)
{
    EXPECT_EQ(m_codec.encode(GetParam().utf8, CodePage::Gbk), GetParam().gbk);
}

TEST_P(QtTextCodecGbkTest, DecodesTheGbkBytesBack)
{
    EXPECT_EQ(m_codec.decode(GetParam().gbk, CodePage::Gbk), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Texts, QtTextCodecGbkTest,
    ::testing::Values(GbkCase { "FontName", "黑体", "\xBA\xDA\xCC\xE5" },
        GbkCase { "Ascii", "{\\fn x}<b>1</b>\r\n", "{\\fn x}<b>1</b>\r\n" }, GbkCase { "Empty", "", "" },
        GbkCase { "WindowTitle", "SRT外挂字幕制作", "SRT\xCD\xE2\xB9\xD2\xD7\xD6\xC4\xBB\xD6\xC6\xD7\xF7" },
        // The second byte of a double-byte character can be "\" or "{".
        GbkCase { "SecondByteLooksLikeAscii", "乗亄", "\x81\x5C\x81\x7B" },
        GbkCase { "FullWidthPunctuation", "，。", "\xA3\xAC\xA1\xA3" }),
    [](const auto& info) { return std::string(info.param.name); });

struct UnencodableCase {
    const char* name;
    std::string utf8;
    std::string character;
};

// Test names in ctest show the case, not its bytes.
void PrintTo(const UnencodableCase& value, std::ostream* out)
{
    *out << value.name;
}

class QtTextCodecUnencodableTest : public ::testing::TestWithParam<UnencodableCase> { };

TEST_P(QtTextCodecUnencodableTest, RefusesACharacterGbkCannotHoldAndNamesIt)
{
    QtTextCodec codec;
    try {
        const std::string bytes = codec.encode(GetParam().utf8, CodePage::Gbk);
        FAIL() << "encoded to \"" << bytes << "\" instead of failing";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
            "The character \"" + GetParam().character + "\" cannot be stored in a GBK subtitle file.");
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, QtTextCodecUnencodableTest,
    ::testing::Values(UnencodableCase { "Emoji", "好😀", "😀" }, UnencodableCase { "Hangul", "ab한c", "한" },
        UnencodableCase { "FirstOfSeveral", "x😀y👍", "😀" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QtTextCodecTest, Utf8PassesThroughBothWays)
{
    QtTextCodec codec;
    const std::string text = "黑体 😀 한 \r\n";
    EXPECT_EQ(codec.encode(text, CodePage::Utf8), text);
    EXPECT_EQ(codec.decode(text, CodePage::Utf8), text);
}

struct InvalidBytesCase {
    const char* name;
    std::string bytes;
    std::string utf8;
};

// Test names in ctest show the case, not its bytes.
void PrintTo(const InvalidBytesCase& value, std::ostream* out)
{
    *out << value.name;
}

class QtTextCodecInvalidBytesTest : public ::testing::TestWithParam<InvalidBytesCase> { };

TEST_P(QtTextCodecInvalidBytesTest, DecodeReplacesInvalidBytesAndKeepsTheRest)
{
    QtTextCodec codec;
    EXPECT_EQ(codec.decode(GetParam().bytes, CodePage::Gbk), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Bytes, QtTextCodecInvalidBytesTest,
    ::testing::Values(InvalidBytesCase { "LeadByteAtTheEnd", "ab\x81", "ab\xEF\xBF\xBD" },
        InvalidBytesCase { "OnlyALeadByte", "\xFE", "\xEF\xBF\xBD" },
        InvalidBytesCase { "LeadByteBeforeAscii", "\x81\x20x", "\xEF\xBF\xBD x" },
        InvalidBytesCase { "InvalidSecondByte",
            "\x81\x7F"
            "a",
            "\xEF\xBF\xBD\x7F"
            "a" },
        InvalidBytesCase { "ValidAroundInvalid", "\xBA\xDA\x81\x0A\xCC\xE5", "黑\xEF\xBF\xBD\n体" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QtTextCodecTest, InvalidUtf8DecodesToReplacementCharacters)
{
    QtTextCodec codec;
    EXPECT_EQ(codec.decode("a\xC3", CodePage::Utf8), "a\xEF\xBF\xBD");
}

} // namespace
} // namespace vantor::test
