// Settings files damaged by hand or by another program, at the settings store itself: a write whose line the
// damage would swallow is refused and the file keeps its bytes; damage that swallows nothing is kept around
// the values written.
#include "FileTestSupport.h"
#include "IniSettingsStore.h"
#include "model/VantorError.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vantor::test {
namespace {

struct DamageCase {
    const char* name;
    std::string bytes;
    // The file after writing srtDefault=1; nothing when the write must be refused.
    std::optional<std::string> after;
};

void PrintTo(const DamageCase& value, std::ostream* out)
{
    *out << value.name;
}

class DamagedSettingsFileTest : public ::testing::TestWithParam<DamageCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(writeBytes(m_folder.file("software.conf"), GetParam().bytes));
    }
    TemporaryFolder m_folder;
    IniSettingsStore m_store { m_folder.path() };
};

TEST_P(DamagedSettingsFileTest, WriteThatWouldNotReadBackIsRefusedAndTheFileKept)
{
    const DamageCase& c = GetParam();
    std::string error;
    try {
        m_store.writeValue("srtDefault", "1");
    } catch (const Error& failure) {
        error = failure.what();
    }
    if (c.after) {
        EXPECT_EQ(error, "");
        EXPECT_EQ(m_store.readValue("srtDefault"), "1");
        EXPECT_EQ(readBytes(m_folder.file("software.conf")), *c.after);
    } else {
        EXPECT_EQ(error, "Failed to set data for 'srtDefault'");
        EXPECT_EQ(m_store.readValue("srtDefault"), "");
        EXPECT_EQ(readBytes(m_folder.file("software.conf")), c.bytes);
    }
    EXPECT_EQ(folderEntries(m_folder.path()), std::vector<std::string> { "software.conf" });
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedSettingsFileTest,
    ::testing::Values(DamageCase { "QuoteNeverClosed", "\"unclosed\n[General]\nother=1\n", std::nullopt },
        DamageCase { "QuotedValueNeverClosed", "[General]\nsrtFontColor=\"#FF\nx=1\n", std::nullopt },
        DamageCase { "BackslashAtTheEnd", "[General]\nk=abc\\", std::nullopt },
        DamageCase {
            "BinaryWithAQuote", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\"junk", 21), std::nullopt },
        DamageCase { "BinaryWithoutQuotes",
            std::string("\x7f"
                        "ELF\x02\0\0\xff\xfe\n",
                10),
            std::string("\x7f"
                        "ELF\x02\0\0\xff\xfe\n",
                10)
                + "\n[General]\nsrtDefault=1\n" },
        DamageCase { "LineWithoutEqualsSign", "[General]\nthis is not a key\n",
            "[General]\nsrtDefault=1\nthis is not a key\n" },
        DamageCase { "TruncatedValue", "[General]\nsrtDefault=\xE9\xBB", "[General]\nsrtDefault=1" }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vantor::test
