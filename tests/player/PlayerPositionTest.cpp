#include "PlayerFixture.h"

#include <QElapsedTimer>

#include <algorithm>
#include <set>
#include <vector>

// The position between mpv's reports: while playing it moves on with the steady clock from the latest report
// (of the sound clock, or of the frames in a file without sound); paused, right after a seek and at the end
// it is exact. clip.mp4 has sound, silent.mp4 none, tenfps.mp4 shows a frame every 100 ms and has no sound.
namespace vantor::test {
namespace {

struct ClipCase {
    const char* name;
    const char* file;
    // Seconds between two frames.
    double frame;
};

void PrintTo(const ClipCase& clip, std::ostream* out)
{
    *out << clip.name;
}

const auto kClips = ::testing::Values(ClipCase { "WithSound", "clip.mp4", 0.04 },
    ClipCase { "Silent", "silent.mp4", 0.04 }, ClipCase { "TenFramesASecond", "tenfps.mp4", 0.1 });

class PlayerPositionTest : public PlayerTest, public ::testing::WithParamInterface<ClipCase> {
protected:
    // Plays from `from` until the position has moved on from it.
    void playFrom(double from)
    {
        openAndWait(mediaPath(GetParam().file));
        m_player->setCurrentPosition(from);
        m_player->play();
        ASSERT_TRUE(spinUntil(*m_player, 3s, [&] { return m_player->currentPosition() > from + 0.2; }))
            << m_player->status() << " at " << m_player->currentPosition();
    }
};

// mpv's own position changes once a frame; the player's moves on between, and keeps pace with real time.
TEST_P(PlayerPositionTest, MovesOnBetweenFramesWhilePlaying)
{
    playFrom(1.0);
    std::vector<double> reads;
    QElapsedTimer clock;
    clock.start();
    const double from = m_player->currentPosition();
    spinFor(*m_player, 600ms, [&] { reads.push_back(m_player->currentPosition()); });
    const double elapsed = clock.elapsed() / 1000.0;
    ASSERT_GT(reads.size(), 50u);
    EXPECT_TRUE(std::is_sorted(reads.begin(), reads.end()));
    const std::set<double> distinct(reads.begin(), reads.end());
    const double frames = elapsed / GetParam().frame;
    // Frame-stepped positions would give one value a frame; ticks come every millisecond or so.
    EXPECT_GT(static_cast<double>(distinct.size()), 4 * frames)
        << distinct.size() << " distinct positions in " << reads.size() << " reads";
    EXPECT_NEAR(m_player->currentPosition() - from, elapsed, 0.03);
}

// A pause holds the position where it stopped: the read right after pause() and every read until the resume
// give the same value; playback then goes on from there, never back.
TEST_P(PlayerPositionTest, PauseHoldsWhereItStoppedAndPlayingGoesOnFromThere)
{
    playFrom(2.0);
    // Most likely between two frames.
    spinFor(*m_player, 137ms);
    const double beforePause = m_player->currentPosition();
    m_player->pause();
    const double held = m_player->currentPosition();
    EXPECT_EQ(held, beforePause);
    int moved = 0;
    spinFor(*m_player, 400ms, [&] { moved += m_player->currentPosition() != held; });
    EXPECT_EQ(moved, 0);
    EXPECT_EQ(m_player->currentPosition(), held);

    m_player->play();
    std::vector<double> reads;
    spinFor(*m_player, 400ms, [&] { reads.push_back(m_player->currentPosition()); });
    ASSERT_FALSE(reads.empty());
    EXPECT_GE(*std::min_element(reads.begin(), reads.end()), held);
    EXPECT_TRUE(std::is_sorted(reads.begin(), reads.end()));
    EXPECT_GT(reads.back(), held + 0.2);
}

// Right after a seek a read gives the target; once playback restarts the position goes on from there and
// never runs ahead of the time since the seek: hr-seek starts sound and picture at the first frame at or
// after the target.
TEST_P(PlayerPositionTest, AfterASeekWhilePlayingStartsAtTheTargetAndNeverRunsAhead)
{
    playFrom(3.0);
    constexpr double kTarget = 12.3456;
    QElapsedTimer sinceSeek;
    sinceSeek.start();
    m_player->setCurrentPosition(kTarget);
    EXPECT_EQ(m_player->currentPosition(), kTarget);
    double lowest = kTarget;
    double aheadOfTime = 0;
    std::vector<double> reads;
    spinFor(*m_player, 500ms, [&] {
        const double position = m_player->currentPosition();
        lowest = std::min(lowest, position);
        aheadOfTime = std::max(aheadOfTime, position - kTarget - sinceSeek.nsecsElapsed() / 1e9);
        reads.push_back(position);
    });
    EXPECT_EQ(lowest, kTarget);
    EXPECT_LE(aheadOfTime, GetParam().frame + 0.001);
    EXPECT_TRUE(std::is_sorted(reads.begin(), reads.end()));
    EXPECT_GT(m_player->currentPosition(), kTarget + 0.2);
}

// Paused, a seek gives the target at once and then the frame mpv shows there; nothing moves on after.
TEST_P(PlayerPositionTest, AfterASeekWhilePausedStandsAtTheTargetFrame)
{
    openAndWait(mediaPath(GetParam().file));
    m_player->pause();
    constexpr double kTarget = 7.777;
    m_player->setCurrentPosition(kTarget);
    EXPECT_EQ(m_player->currentPosition(), kTarget);
    spinFor(*m_player, 400ms);
    const double settled = m_player->currentPosition();
    EXPECT_NEAR(settled, kTarget, GetParam().frame + 1e-6);
    int moved = 0;
    spinFor(*m_player, 300ms, [&] { moved += m_player->currentPosition() != settled; });
    EXPECT_EQ(moved, 0);
    EXPECT_EQ(m_player->playState(), PlayState::Paused);
}

// Playing into the end: no read lies past the end of the 30 s clip (its sound track runs some milliseconds
// longer, AAC frames), and once mpv has ended the position is where mpv ended and stays there.
TEST_P(PlayerPositionTest, AtTheEndStopsAtTheLastFrameAndNeverPassesTheDuration)
{
    playFrom(29.4);
    double highest = 0;
    ASSERT_TRUE(spinUntil(
        *m_player, 3s, [&] { return m_player->playState() == PlayState::MediaEnded; },
        [&] { highest = std::max(highest, m_player->currentPosition()); }))
        << m_player->status() << " at " << m_player->currentPosition();
    EXPECT_LE(highest, 30.03);
    const double atEnd = m_player->currentPosition();
    EXPECT_LE(atEnd, 30.03);
    EXPECT_GE(atEnd, 30.0 - GetParam().frame - 1e-6);
    int moved = 0;
    spinFor(*m_player, 300ms, [&] { moved += m_player->currentPosition() != atEnd; });
    EXPECT_EQ(moved, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, PlayerPositionTest, kClips, [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vantor::test
