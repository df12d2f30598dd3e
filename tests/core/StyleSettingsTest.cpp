// The thirteen style settings: names, texts, order of writing, and the store's failures.
#include "style/StyleSettings.h"
#include "FakeSettingsStore.h"
#include "model/VantorError.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantor::test {
namespace {

using Writes = std::vector<FakeSettingsStore::Write>;

TEST(StyleSettings, DefaultsAreTheEightValuesInTheirOrder)
{
    FakeSettingsStore store;
    WriteDefaultStyleSettings(store);
    const Writes expected {
        { "srtFontColorD", "#FFFFFF" },
        { "srtFontNameD", "黑体" },
        { "srtFontSizeD", "18" },
        { "srtFontPosLD", "" },
        { "srtFontPosUD", "" },
        { "srtDefault", "1" },
        { "srtBord", "bord0" },
        { "srtShad", "Shad3" },
    };
    EXPECT_EQ(expected, store.writes);
}

TEST(StyleSettings, SaveKeepsCaptionsAsShownAndTrimsThePositions)
{
    FakeSettingsStore store;
    SaveStyleSettings(store, " #FF0000 ", " 黑体", "18 ", " 190\t", "\n270 ");
    const Writes expected {
        { "srtFontColor", " #FF0000 " },
        { "srtFontName", " 黑体" },
        { "srtFontSize", "18 " },
        { "srtFontPosL", "190" },
        { "srtFontPosU", "270" },
    };
    EXPECT_EQ(expected, store.writes);
}

TEST(StyleSettings, DefaultFlagGoesToSrtDefault)
{
    FakeSettingsStore store;
    WriteDefaultFlag(store, "0");
    WriteDefaultFlag(store, "1");
    EXPECT_EQ((Writes { { "srtDefault", "0" }, { "srtDefault", "1" } }), store.writes);
}

TEST(StyleSettings, ReadGivesTheTextOrEmptyForAbsentValuesAndAMissingLocation)
{
    FakeSettingsStore store;
    store.values["srtFontColor"] = "#00FF00";
    EXPECT_EQ("#00FF00", ReadStyleSetting(store, kSrtFontColor));
    EXPECT_EQ("", ReadStyleSetting(store, kSrtFontName));
    store.locationExists = false;
    EXPECT_EQ("", ReadStyleSetting(store, kSrtFontColor));
    EXPECT_EQ((std::vector<std::string> { "srtFontColor", "srtFontName", "srtFontColor" }), store.reads);
}

// A store whose every call fails with its own words, as a library error might.
class BrokenStore : public SettingsStore {
public:
    std::string readValue(const std::string&) override { throw std::runtime_error("I/O error"); }
    void writeValue(const std::string&, const std::string&) override { throw std::runtime_error("ENOSPC"); }
};

TEST(StyleSettings, FailuresReachTheUserWithTheValueName)
{
    struct Case {
        const char* what;
        std::function<void()> run;
        const char* message;
    };
    FakeSettingsStore nonText;
    nonText.storeNonText("srtFontColorD");
    FakeSettingsStore unreadable;
    unreadable.failReadsOf("srtDefault");
    BrokenStore broken;
    const Case cases[] = {
        { "value of another type", [&] { ReadStyleSetting(nonText, kSrtFontColorD); },
            "Invalid data type for 'srtFontColorD'" },
        { "data not readable", [&] { ReadStyleSetting(unreadable, kSrtDefault); },
            "Failed to get data for 'srtDefault'" },
        { "store's own read error", [&] { ReadStyleSetting(broken, kSrtFontSize); },
            "Failed to get data for 'srtFontSize'" },
        { "store's own write error", [&] { WriteDefaultFlag(broken, "1"); },
            "Failed to set data for 'srtDefault'" },
    };
    for (const Case& c : cases) {
        try {
            c.run();
            ADD_FAILURE() << "no error: " << c.what;
        } catch (const Error& error) {
            EXPECT_EQ(std::string(c.message), error.what()) << c.what;
        }
    }
}

// The three ways a write fails on Linux, as the store reports them.
struct WriteFailure {
    const char* reason;
    bool locationMissing;
    const char* storeMessage;
};

class StyleSettingsWriteFailure : public ::testing::TestWithParam<WriteFailure> {
protected:
    FakeSettingsStore store;

    void failFirstWrite()
    {
        if (GetParam().locationMissing)
            store.locationExists = false;
        else
            store.failNextWrite(std::string(GetParam().storeMessage));
    }
};

TEST_P(StyleSettingsWriteFailure, FirstWriteStopsTheDefaultsWithTheExactErrorAndChangesNothing)
{
    store.values["srtFontNameD"] = "宋体";
    failFirstWrite();
    try {
        WriteDefaultStyleSettings(store);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string("Failed to set data for 'srtFontColorD'"), error.what());
    }
    EXPECT_EQ(Writes {}, store.writes);
    EXPECT_EQ(std::vector<std::string> { "srtFontColorD" }, store.refusedWrites);
    EXPECT_EQ("宋体", store.values["srtFontNameD"]);
}

TEST_P(StyleSettingsWriteFailure, FirstWriteStopsTheSaveWithTheExactError)
{
    store.values["srtFontColor"] = "#00FF00";
    failFirstWrite();
    try {
        SaveStyleSettings(store, "#FF0000", "黑体", "18", "190", "270");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string("Failed to set data for 'srtFontColor'"), error.what());
    }
    EXPECT_EQ(Writes {}, store.writes);
    EXPECT_EQ("#00FF00", store.values["srtFontColor"]);
}

INSTANTIATE_TEST_SUITE_P(Reasons, StyleSettingsWriteFailure,
    ::testing::Values(WriteFailure { "missing folder", true, nullptr },
        WriteFailure { "read-only file", false, "Permission denied" },
        WriteFailure { "full disk", false, "No space left on device" }),
    [](const auto& info) {
        std::string name = info.param.reason;
        for (char& c : name)
            c = (c == ' ' || c == '-') ? '_' : c;
        return name;
    });

TEST(StyleSettings, AWriteFailingMidwayKeepsTheValuesWrittenBeforeIt)
{
    FakeSettingsStore store;
    store.failWritesOf("srtFontSizeD");
    EXPECT_THROW(WriteDefaultStyleSettings(store), Error);
    EXPECT_EQ((Writes { { "srtFontColorD", "#FFFFFF" }, { "srtFontNameD", "黑体" } }), store.writes);
    EXPECT_EQ(std::vector<std::string> { "srtFontSizeD" }, store.refusedWrites);
}

} // namespace
} // namespace vantor::test
