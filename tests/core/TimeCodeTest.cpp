#include "srt/TimeCode.h"
#include "model/VantorError.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

struct PositionCase {
    double seconds;
    const char* text;
    const char* milliseconds;
};

class PositionTextTest : public ::testing::TestWithParam<PositionCase> { };

TEST_P(PositionTextTest, PositionIsWrittenInGeneralNotationAndCutToMilliseconds)
{
    const auto& c = GetParam();
    const std::string text = formatPositionSeconds(c.seconds);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(millisecondsOf(text), c.milliseconds);
}

INSTANTIATE_TEST_SUITE_P(Positions, PositionTextTest,
    ::testing::Values(PositionCase { 5.25, "5.25", "250" }, PositionCase { 12, "12", "000" },
        PositionCase { 7.123456, "7.123456", "123" }, PositionCase { 83.456789, "83.456789", "456" },
        PositionCase { 0, "0", "000" }, PositionCase { 3723.5, "3723.5", "500" },
        // Cut, never rounded: 1.9999 stays in its second.
        PositionCase { 1.9999, "1.9999", "999" }));

struct TimeCodeCase {
    const char* code;
    long double seconds;
};

class TimeCodeToSecondsTest : public ::testing::TestWithParam<TimeCodeCase> { };

TEST_P(TimeCodeToSecondsTest, ConvertsEachField)
{
    EXPECT_EQ(timeCodeToSeconds(GetParam().code), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(Codes, TimeCodeToSecondsTest,
    ::testing::Values(TimeCodeCase { "00:00:00,000", 0.0L }, TimeCodeCase { "00:00:05,000", 5.0L },
        TimeCodeCase { "00:00:07,500", 7.5L }, TimeCodeCase { "01:00:00,000", 3600.0L },
        TimeCodeCase { "01:02:04,250", 3724.25L }, TimeCodeCase { "00:01:10,000", 70.0L }));

TEST(TimeCodeToSeconds, PartThatIsNotAnIntegerFailsWithItsText)
{
    const auto message = [](const char* code) {
        try {
            timeCodeToSeconds(code);
        } catch (const Error& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("0a:00:00,000"), "'0a' is not a valid integer value");
    EXPECT_EQ(message("00:00:0x,000"), "'0x' is not a valid integer value");
    EXPECT_EQ(message("00:00:00,"), "'' is not a valid integer value");
    EXPECT_EQ(message(""), "'' is not a valid integer value");
}

} // namespace
} // namespace vantor
