#include "capture/TimingAids.h"
#include "MainFixture.h"

#include <functional>

namespace vantor::test {
namespace {

class TimingAidsTest : public MainFixture {
protected:
    void SetUp() override
    {
        MainFixture::SetUp();
        open();
    }

    void setOffset(int milliseconds)
    {
        dialogs.reactionOffset = milliseconds;
        controller.timingDialog();
    }
};

// F9 twice (the first mark of a file is always 00:00:00,001), then F10, with the offset taken off.
struct OffsetCase {
    int offsetMs;
    double start;
    double end;
    const char* startCode;
    const char* endCode;
    long double startSeconds;
    long double endSeconds;
};

class ReactionOffsetTest : public TimingAidsTest, public ::testing::WithParamInterface<OffsetCase> { };

TEST_P(ReactionOffsetTest, OffsetIsTakenOffBothMarksAndClampedAtTheMediaStart)
{
    const OffsetCase& c = GetParam();
    setOffset(c.offsetMs);
    player.position = c.start + 2;
    hotKeys.press(HotKey::F9);
    EXPECT_EQ(view.texts[Control::Edit1], "00:00:00,001") << "the first entry still starts at 1 ms";
    player.position = c.start;
    hotKeys.press(HotKey::F9);
    EXPECT_EQ(view.texts[Control::Edit1], c.startCode);
    EXPECT_EQ(session().StartSeconds, c.startSeconds);
    player.position = c.end;
    hotKeys.press(HotKey::F10);
    EXPECT_EQ(view.texts[Control::Edit2], c.endCode);
    EXPECT_EQ(session().EndSeconds, c.endSeconds);
}

INSTANTIATE_TEST_SUITE_P(Offsets, ReactionOffsetTest,
    ::testing::Values(
        OffsetCase { 0, 4.25, 6.1, "00:00:04,250", "00:00:06,100", 4.25L, static_cast<long double>(6.1) },
        OffsetCase {
            250, 4.25, 6.1, "00:00:04,000", "00:00:05,850", 4.0L, static_cast<long double>(6.1 - 0.25) },
        OffsetCase { 300, 3600.2, 3601.0, "00:59:59,900", "01:00:00,700",
            static_cast<long double>(3600.2 - 0.3), static_cast<long double>(3601.0 - 0.3) },
        OffsetCase { 1000, 0.4, 0.999, "00:00:00,000", "00:00:00,000", 0.0L, 0.0L },
        OffsetCase { 1000, 1.0, 61.5, "00:00:00,000", "00:01:00,500", 0.0L, 60.5L }));

TEST_F(TimingAidsTest, FirstEntryLoopStartsAtThePositionLessTheOffset)
{
    setOffset(400);
    player.position = 3.5;
    hotKeys.press(HotKey::F9);
    EXPECT_EQ(view.texts[Control::Edit1], "00:00:00,001");
    EXPECT_EQ(session().StartSeconds, static_cast<long double>(3.5 - 0.4) + 0.00101L);
}

TEST_F(TimingAidsTest, TimingDialogRemembersTheOffsetAndTheFooterShowsIt)
{
    const std::string footer = view.texts[Control::Label3];
    dialogs.reactionOffset = std::nullopt;
    controller.timingDialog();
    EXPECT_EQ(dialogs.offsetDialogs, std::vector<int> { 0 });
    EXPECT_EQ(settings.values.count(std::string(kReactionOffsetSetting)), 0u) << "cancelled: nothing written";

    setOffset(180);
    EXPECT_EQ(controller.reactionOffset(), 180);
    EXPECT_EQ(settings.values[std::string(kReactionOffsetSetting)], "180");
    EXPECT_EQ(view.texts[Control::Label3], footer + "；反应补偿 180 ms");
    setOffset(5000);
    EXPECT_EQ(settings.values[std::string(kReactionOffsetSetting)], "1000");
    setOffset(0);
    EXPECT_EQ(view.texts[Control::Label3], footer);
}

TEST_F(TimingAidsTest, OffsetThatCannotBeSavedFailsWithTheValueNameAndIsStillInForce)
{
    settings.failWritesOf(std::string(kReactionOffsetSetting));
    dialogs.reactionOffset = 200;
    try {
        controller.timingDialog();
        ADD_FAILURE() << "the failed write must reach the user";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Failed to set data for 'vantorReactionOffsetMs'");
    }
    EXPECT_EQ(controller.reactionOffset(), 200);
}

struct StoredOffsetCase {
    const char* stored;
    int offset;
};

class StoredOffsetTest : public ::testing::TestWithParam<StoredOffsetCase>, protected MainRig { };

TEST_P(StoredOffsetTest, OffsetIsReadFromTheSettingsAtStart)
{
    settings.values[std::string(kReactionOffsetSetting)] = GetParam().stored;
    start();
    EXPECT_EQ(controller.reactionOffset(), GetParam().offset);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredOffsetTest,
    ::testing::Values(StoredOffsetCase { "", 0 }, StoredOffsetCase { "120", 120 },
        StoredOffsetCase { "1000", 1000 }, StoredOffsetCase { "4000", 1000 }, StoredOffsetCase { "-5", 0 },
        StoredOffsetCase { "12ms", 0 }, StoredOffsetCase { "abc", 0 }));

TEST(StoredOffset, UnreadableValueMeansNoOffset)
{
    MainRig rig;
    rig.settings.storeNonText(std::string(kReactionOffsetSetting));
    rig.settings.values[std::string(kReactionOffsetSetting)] = "300";
    rig.start();
    EXPECT_EQ(rig.controller.reactionOffset(), 0);
}

TEST_F(TimingAidsTest, SpeedStepsByATenthWithinHalfToDouble)
{
    std::vector<double> rates;
    for (int i = 0; i < 12; ++i) {
        controller.fasterPlayback();
        rates.push_back(player.rate);
    }
    EXPECT_EQ(rates.front(), 1.1);
    EXPECT_EQ(rates[9], 2.0);
    EXPECT_EQ(rates.back(), 2.0) << "never above 2.0x";
    EXPECT_EQ(player.count("setSpeed"), 10) << "no call once at the limit";
    controller.normalPlayback();
    EXPECT_EQ(player.rate, 1.0);
    for (int i = 0; i < 8; ++i)
        controller.slowerPlayback();
    EXPECT_EQ(player.rate, 0.5) << "never below 0.5x";
}

TEST_F(TimingAidsTest, StatusAndFooterShowTheSpeedWhenItIsNotNormal)
{
    const std::string footer = view.texts[Control::Label3];
    controller.Timer1Timer();
    const std::string status = view.texts[Control::Label2];
    EXPECT_EQ(status.find("×"), std::string::npos);
    for (int i = 0; i < 5; ++i)
        controller.slowerPlayback();
    controller.Timer1Timer();
    EXPECT_EQ(view.texts[Control::Label2].rfind(player.statusText + "  0.5×", 0), 0u)
        << view.texts[Control::Label2];
    EXPECT_EQ(view.texts[Control::Label3], footer + "；速度 0.5×");
    setOffset(90);
    EXPECT_EQ(view.texts[Control::Label3], footer + "；速度 0.5×；反应补偿 90 ms");
    controller.normalPlayback();
    controller.Timer1Timer();
    EXPECT_EQ(view.texts[Control::Label2], status);
    EXPECT_EQ(view.texts[Control::Label3], footer + "；反应补偿 90 ms");
}

TEST_F(TimingAidsTest, MarksStayInMediaTimeAtAnotherSpeed)
{
    for (int i = 0; i < 5; ++i)
        controller.slowerPlayback();
    entry(1.0, 2.0, 2.04, "a");
    player.position = 7.25;
    hotKeys.press(HotKey::F9);
    player.position = 9.5;
    hotKeys.press(HotKey::F10);
    EXPECT_EQ(view.texts[Control::Edit1], "00:00:07,250");
    EXPECT_EQ(view.texts[Control::Edit2], "00:00:09,500");
    EXPECT_EQ(session().EndSeconds, 9.5L);
    player.position = 9.54;
    controller.Timer1Timer();
    EXPECT_EQ(player.seeks.back(), 7.25) << "the loop jumps in media time";
    EXPECT_EQ(player.rate, 0.5) << "marks and loops leave the speed alone";
}

TEST_F(TimingAidsTest, SeekKeysMoveThePositionButNeverBeforeTheStart)
{
    player.position = 10;
    controller.seekBy(-5);
    EXPECT_EQ(player.position, 5);
    controller.seekBy(1);
    EXPECT_EQ(player.position, 6);
    controller.seekBy(-5);
    controller.seekBy(-5);
    EXPECT_EQ(player.position, 0);
    controller.seekBy(5);
    EXPECT_EQ(player.position, 5);
}

TEST_F(TimingAidsTest, PauseKeyTogglesPlayback)
{
    player.playing = true;
    controller.togglePlayback();
    EXPECT_FALSE(player.playing);
    controller.togglePlayback();
    EXPECT_TRUE(player.playing);
}

// Every speed, seek and pause key in one state: the key does its part on the player, and no mark, field,
// document or file changes.
class TimingKeysInEveryStateTest : public MainFixture, public ::testing::WithParamInterface<const char*> {
protected:
    void reach(const std::string& state)
    {
        if (state == "no video")
            return;
        open();
        if (state == "ready")
            return;
        entry(1.0, 2.0, 2.04, "one");
        if (state == "after an entry")
            return;
        player.position = 3;
        hotKeys.press(HotKey::F9);
        if (state == "start marked")
            return;
        player.position = 4.5;
        hotKeys.press(HotKey::F10);
        view.texts[Control::InputEdit] = "typing";
        if (state == "looping")
            return;
        hotKeys.press(HotKey::F7);
        if (state == "edit mode")
            return;
        hotKeys.press(HotKey::F8);
        ASSERT_EQ(state, "continued");
    }

    struct Snapshot {
        long double start, end, wrap, resume;
        std::string edit1, edit2, input, plain, formatted;
        bool startEnabled, endEnabled, editMode;
        std::size_t writes;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot()
    {
        const CaptureSession& s = session();
        return { s.StartSeconds, s.EndSeconds, s.WrapSeconds, s.ResumeSeconds, view.texts[Control::Edit1],
            view.texts[Control::Edit2], view.texts[Control::InputEdit],
            controller.documents().PlainDocument.text(), controller.documents().FormattedDocument.text(),
            view.enabled[Control::StartTimeButton], view.enabled[Control::EndTimeButton], s.EditMode,
            files.writes.size() };
    }
};

TEST_P(TimingKeysInEveryStateTest, KeysActOnThePlayerOnly)
{
    reach(GetParam());
    player.position = 20;
    player.playing = true;
    const Snapshot before = snapshot();
    const std::size_t settingsWrites = settings.writes.size();

    controller.slowerPlayback();
    EXPECT_EQ(player.rate, 0.9);
    controller.fasterPlayback();
    controller.fasterPlayback();
    EXPECT_EQ(player.rate, 1.1);
    controller.normalPlayback();
    EXPECT_EQ(player.rate, 1.0);
    controller.seekBy(-5);
    EXPECT_EQ(player.position, 15);
    controller.seekBy(1);
    EXPECT_EQ(player.position, 16);
    controller.seekBy(-1);
    controller.seekBy(5);
    EXPECT_EQ(player.position, 20);
    controller.togglePlayback();
    EXPECT_FALSE(player.playing);
    controller.togglePlayback();
    EXPECT_TRUE(player.playing);

    EXPECT_TRUE(snapshot() == before) << GetParam();
    EXPECT_EQ(settings.writes.size(), settingsWrites);
    EXPECT_TRUE(dialogs.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(States, TimingKeysInEveryStateTest,
    ::testing::Values(
        "no video", "ready", "after an entry", "start marked", "looping", "edit mode", "continued"));

TEST(TimingAidsText, ParsesAndShowsValues)
{
    EXPECT_EQ(speedText(0.5), "0.5×");
    EXPECT_EQ(speedText(1.2000000000000002), "1.2×");
    EXPECT_EQ(timingAidsFooterNote(1.0, 0), "");
    EXPECT_EQ(statusSpeedNote(1.0), "");
    EXPECT_EQ(parseReactionOffset("999"), 999);
}

} // namespace
} // namespace vantor::test
