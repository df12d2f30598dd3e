#include "capture/CaptureClock.h"
#include "FakeMainView.h"
#include "FakePlayer.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace vantor {
namespace {

using test::FakeMainView;
using test::FakePlayer;

class CaptureClockTest : public ::testing::Test {
protected:
    CaptureSession session;
    FakeMainView view;
    FakePlayer player;
    CaptureClock clock { session, view, player };
};

struct ReadCase {
    double position;
    const char* expected;
};

class CurrentTimeCodeTest : public CaptureClockTest, public ::testing::WithParamInterface<ReadCase> { };

TEST_P(CurrentTimeCodeTest, ReadsThePositionAsATimeCode)
{
    player.mediaOpen = true;
    player.position = GetParam().position;
    EXPECT_EQ(clock.CurrentTimeCode(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Positions, CurrentTimeCodeTest,
    ::testing::Values(ReadCase { 83.456789, "00:01:23,456" }, ReadCase { 5.25, "00:00:05,250" },
        ReadCase { 12, "00:00:12,000" }, ReadCase { 3723.5, "01:02:03,500" },
        ReadCase { 59.9999, "00:00:59,999" }));

// While the video is still opening the player knows a position (a pending seek) but has no position
// string: the code is built from the position, so a mark taken then is a whole time code, never ",280".
TEST_F(CaptureClockTest, WithoutAPositionStringTheCodeComesFromThePositionAndTheLabelKeepsItsText)
{
    view.texts[Control::Label1] = "00:00:07,000";
    EXPECT_EQ(clock.CurrentTimeCode(), "00:00:00,000");
    player.position = 3723.28;
    EXPECT_EQ(clock.CurrentTimeCode(), "01:02:03,280");
    EXPECT_EQ(session.RawTimeCode, ",280");
    player.position = 0;
    clock.Timer1Timer();
    EXPECT_EQ(view.texts[Control::Label1], "00:00:07,000");
    EXPECT_EQ(session.PlayerPositionText, "");
}

TEST_F(CaptureClockTest, TickShowsStatusPaddedAndPosition)
{
    player.mediaOpen = true;
    player.position = 83.456789;
    player.statusText = "正在播放";
    clock.Timer1Timer();
    EXPECT_EQ(view.texts[Control::Label2], "正在播放" + std::string(21, ' '));
    EXPECT_EQ(view.texts[Control::Label1], "00:01:23,456");
    EXPECT_EQ(session.PositionSecondsText, "83.456789");
    EXPECT_EQ(session.RawTimeCode, "01:23,456");
}

TEST_F(CaptureClockTest, FieldsHoldingColonZeroAreRepaired)
{
    view.texts[Control::Edit1] = ":0";
    view.texts[Control::Edit2] = ":0";
    clock.CurrentTimeCode();
    EXPECT_EQ(view.texts[Control::Edit1], "00:00:00,000");
    EXPECT_EQ(view.texts[Control::Edit2], "00:00:00,000");
    view.texts[Control::Edit1] = " :0";
    clock.CurrentTimeCode();
    EXPECT_EQ(view.texts[Control::Edit1], " :0") << "only the exact text is repaired";
}

struct LoopCase {
    long double start;
    long double end;
    double position;
    bool jumps;
};

class SegmentLoopTest : public CaptureClockTest, public ::testing::WithParamInterface<LoopCase> { };

TEST_P(SegmentLoopTest, JumpsBackOnlyWhenArmedAndStrictlyPastTheEnd)
{
    const auto& c = GetParam();
    player.mediaOpen = true;
    player.position = c.position;
    session.StartSeconds = c.start;
    session.EndSeconds = c.end;
    clock.Timer1Timer();
    if (c.jumps) {
        ASSERT_EQ(player.seeks.size(), 1u);
        EXPECT_EQ(player.seeks[0], static_cast<double>(c.start));
        EXPECT_EQ(session.WrapSeconds, static_cast<long double>(c.position));
        EXPECT_FALSE(session.WrapTimeCode.empty());
    } else {
        EXPECT_TRUE(player.seeks.empty());
        EXPECT_EQ(session.WrapSeconds, 0);
        EXPECT_EQ(session.WrapTimeCode, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SegmentLoopTest,
    ::testing::Values(LoopCase { 10.5L, 12.0L, 12.0, false }, LoopCase { 10.5L, 12.0L, 12.01, true },
        LoopCase { 12.0L, 12.0L, 13.0, false }, LoopCase { 0.0L, 12.0L, 13.0, false },
        LoopCase { 10.5L, 0.0L, 13.0, false }, LoopCase { 14.0L, 12.0L, 15.0, false }));

TEST_F(CaptureClockTest, PendingResumeSeeksAndPlaysAtEveryReadUntilThePlayerPlays)
{
    player.mediaOpen = true;
    session.ResumePending = true;
    session.ResumeSeconds = 70;
    player.playingState = PlayState::Transitioning; // never reaches "playing"
    clock.Timer1Timer();
    EXPECT_TRUE(session.ResumePending);
    EXPECT_EQ(player.count("setCurrentPosition"), 3) << "three time-code reads in one tick";
    EXPECT_EQ(player.count("play"), 3);

    player.playingState = PlayState::Playing;
    clock.CurrentTimeCode();
    EXPECT_FALSE(session.ResumePending);
    const int seeks = player.count("setCurrentPosition");
    clock.CurrentTimeCode();
    EXPECT_EQ(player.count("setCurrentPosition"), seeks);
    EXPECT_EQ(player.position, 70);
}

struct TickNeedCase {
    const char* state;
    bool mediaOpen;
    bool playing;
    PlayState stillState;
    bool seeking;
    bool resumePending;
    bool needsTick;
};

class NeedsTickTest : public CaptureClockTest, public ::testing::WithParamInterface<TickNeedCase> { };

// Asked after a tick: only a player that plays, opens or seeks, or a resume that waits, can make the next
// tick show something else or loop.
TEST_P(NeedsTickTest, AnotherTickIsNeededOnlyWhileSomethingCanChange)
{
    const auto& c = GetParam();
    player.mediaOpen = c.mediaOpen;
    player.playing = c.playing;
    player.stillState = c.stillState;
    player.seeking = c.seeking;
    session.ResumePending = c.resumePending;
    session.ResumeSeconds = 70;
    if (c.resumePending)
        player.playingState = PlayState::Transitioning; // the resume waits for a player that never plays
    clock.Timer1Timer();
    EXPECT_EQ(clock.needsTick(), c.needsTick) << c.state;
}

INSTANTIATE_TEST_SUITE_P(States, NeedsTickTest,
    ::testing::Values(TickNeedCase { "no video", false, false, PlayState::Undefined, false, false, false },
        TickNeedCase { "opening", true, false, PlayState::Transitioning, false, false, true },
        TickNeedCase { "playing", true, true, PlayState::Paused, false, false, true },
        TickNeedCase { "paused", true, false, PlayState::Paused, false, false, false },
        TickNeedCase { "stopped", true, false, PlayState::Stopped, false, false, false },
        TickNeedCase { "ended", true, false, PlayState::MediaEnded, false, false, false },
        TickNeedCase { "seek pending while paused", true, false, PlayState::Paused, true, false, true },
        TickNeedCase { "seek pending while stopped", true, false, PlayState::Stopped, true, false, true },
        TickNeedCase { "resume pending", true, false, PlayState::Paused, false, true, true }),
    [](const ::testing::TestParamInfo<TickNeedCase>& info) {
        std::string name;
        for (const char* c = info.param.state; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

// The last tick before the timer rests shows what a further tick would: the labels stay right.
TEST_F(CaptureClockTest, WhenNoTickIsNeededAFurtherTickChangesNoLabel)
{
    player.mediaOpen = true;
    player.position = 83.456789;
    player.statusText = "已暂停";
    clock.Timer1Timer();
    ASSERT_FALSE(clock.needsTick());
    const auto shown = view.texts;
    clock.Timer1Timer();
    EXPECT_EQ(view.texts, shown);
    EXPECT_EQ(view.texts[Control::Label1], "00:01:23,456");
    EXPECT_EQ(view.texts[Control::Label2], "已暂停" + std::string(21, ' '));
}

TEST_F(CaptureClockTest, PlayerFailureStopsTheTickWhereItFailed)
{
    player.mediaOpen = true;
    player.failOn = "currentPositionString";
    view.texts[Control::Label1] = "before";
    EXPECT_THROW(clock.Timer1Timer(), Error);
    EXPECT_EQ(view.texts[Control::Label1], "before");
    EXPECT_EQ(view.texts[Control::Label2], "已停止" + std::string(21, ' ')) << "the status was set before";
    player.failOn = "playState";
    EXPECT_THROW(clock.needsTick(), Error);
}

} // namespace
} // namespace vantor

namespace vantor {
namespace {

// While the media plays the ticks relax to a screen refresh, and come every millisecond from shortly before
// a looping segment's end mark, at any speed; anything under way gets the next tick at once.
TEST_F(CaptureClockTest, TicksRelaxWhilePlayingAndTightenBeforeTheLoopsEnd)
{
    struct Case {
        const char* what;
        bool playing;
        double position;
        double rate;
        bool seeking;
        bool resume;
        bool loop;
        int expected;
    };
    const Case cases[] = {
        { "paused", false, 5.0, 1.0, false, false, true, 1 },
        { "playing without a loop", true, 5.0, 1.0, false, false, false, CaptureClock::kRelaxedTickMs },
        { "end 1 s away", true, 5.0, 1.0, false, false, true, CaptureClock::kRelaxedTickMs },
        { "end 10.5 ms away", true, 5.9895, 1.0, false, false, true, 7 },
        { "end 4 ms away", true, 5.996, 1.0, false, false, true, 1 },
        { "past the end", true, 6.01, 1.0, false, false, true, 1 },
        { "end 21 media ms away at 2.0x", true, 5.979, 2.0, false, false, true, 7 },
        { "end 10 media ms away at 0.5x", true, 5.99, 0.5, false, false, true, CaptureClock::kRelaxedTickMs },
        { "seek under way", true, 5.0, 1.0, true, false, true, 1 },
        { "resume waiting", true, 5.0, 1.0, false, true, false, 1 },
    };
    for (const Case& c : cases) {
        player.playing = c.playing;
        player.position = c.position;
        player.rate = c.rate;
        player.seeking = c.seeking;
        session.ResumePending = c.resume;
        session.StartSeconds = c.loop ? 4.0L : 0;
        session.EndSeconds = c.loop ? 6.0L : 0;
        EXPECT_EQ(clock.nextTickMs(), c.expected) << c.what;
    }
}

} // namespace
} // namespace vantor
