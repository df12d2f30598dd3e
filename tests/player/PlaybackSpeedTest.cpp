#include "PlayerFixture.h"

#include "model/VantorError.h"

#include <QElapsedTimer>

namespace vantor::test {
namespace {

struct SpeedCase {
    double rate;
    // Asked before libmpv has started (the player keeps it and passes it on) or once the file is loaded.
    bool beforeStart;
};

class PlaybackSpeedTest : public PlayerTest, public ::testing::WithParamInterface<SpeedCase> { };

// The position stays in media time: at a rate r it advances r seconds per second of the wall clock. Both
// ends of the measurement are taken when a new frame's position appears, so the 40 ms frame steps do not
// blur the rate.
TEST_P(PlaybackSpeedTest, PositionAdvancesAtTheRateOfTheWallClock)
{
    const double rate = GetParam().rate;
    if (GetParam().beforeStart)
        m_player->setSpeed(rate);
    openAndWait(mediaPath("clip.mp4"));
    if (!GetParam().beforeStart)
        m_player->setSpeed(rate);
    EXPECT_EQ(m_player->speed(), rate);
    m_player->setCurrentPosition(2.0);
    m_player->play();
    spinFor(*m_player, 500ms);

    QElapsedTimer clock;
    clock.start();
    double last = m_player->currentPosition();
    double firstPosition = -1;
    double lastPosition = -1;
    qint64 firstChange = 0;
    qint64 lastChange = 0;
    spinFor(*m_player, 4s, [&] {
        const double position = m_player->currentPosition();
        if (position == last)
            return;
        last = position;
        const qint64 now = clock.nsecsElapsed();
        if (firstPosition < 0) {
            firstPosition = position;
            firstChange = now;
        }
        lastPosition = position;
        lastChange = now;
    });
    ASSERT_GT(lastChange - firstChange, 3'000'000'000) << "the position stopped moving";
    const double measured = (lastPosition - firstPosition) / ((lastChange - firstChange) / 1e9);
    EXPECT_NEAR(measured, rate, 0.02 * rate) << "media seconds " << lastPosition - firstPosition;
    EXPECT_EQ(m_player->playState(), PlayState::Playing);
}

INSTANTIATE_TEST_SUITE_P(Rates, PlaybackSpeedTest,
    ::testing::Values(SpeedCase { 0.5, true }, SpeedCase { 0.5, false }, SpeedCase { 2.0, false }));

TEST_F(PlayerTest, SpeedOutsideMpvsLimitsIsRefusedAndTheRateStays)
{
    EXPECT_EQ(m_player->speed(), 1.0);
    m_player->setSpeed(0.7);
    EXPECT_THROW(m_player->setSpeed(0), Error);
    EXPECT_EQ(m_player->speed(), 0.7);
}

} // namespace
} // namespace vantor::test
