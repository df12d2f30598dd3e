#include "PlayerFixture.h"

#include "model/VantorError.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <set>

namespace vantor::test {
namespace {

using MpvPlayerTest = PlayerTest;

TEST_F(MpvPlayerTest, WithoutMediaHasNoPositionStringAndDoesNotPlay)
{
    EXPECT_EQ(m_player->currentPositionString(), "");
    EXPECT_EQ(m_player->currentPosition(), 0.0);
    EXPECT_NE(m_player->playState(), PlayState::Playing);
    EXPECT_EQ(m_player->status(), "就绪");
    // A seek or play with nothing open goes nowhere and fails nothing.
    m_player->setCurrentPosition(5);
    m_player->play();
    spinFor(*m_player, 100ms);
    EXPECT_EQ(m_player->currentPosition(), 0.0);
    EXPECT_EQ(m_player->currentPositionString(), "");
}

// libmpv starts on a worker thread; what is asked before it has started is carried out once it has.
TEST_F(MpvPlayerTest, RequestsMadeWhileStartingAreCarriedOut)
{
    // No event has been handled since the player was made, so mpv cannot have been taken into use yet.
    m_player->setUrl(mediaPath("clip.mp4"));
    m_player->stop();
    m_player->setCurrentPosition(5.0);
    m_player->play();
    EXPECT_EQ(m_player->currentPosition(), 5.0);
    EXPECT_EQ(m_player->playState(), PlayState::Transitioning);
    EXPECT_EQ(m_player->status(), "正在打开…");
    ASSERT_TRUE(spinUntil(*m_player, 5s, [this] { return m_player->currentPosition() > 5.2; }))
        << m_player->status() << " at " << m_player->currentPosition();
    EXPECT_EQ(m_player->playState(), PlayState::Playing);
    EXPECT_LT(m_player->currentPosition(), 6.0);
}

// Without libmpv the window still gets its (black) video panel, and every player operation reports why.
TEST(MpvPlayerWithoutLibrary, OperationsReportTheMissingLibrary)
{
    qputenv("VANTOR_MPV_LIBRARY", "libvantor-no-such-mpv.so.9");
    MpvPlayer player(MpvPlayer::Options { "null" });
    qunsetenv("VANTOR_MPV_LIBRARY");
    QWidget host;
    EXPECT_NE(player.createVideoSurface(&host), nullptr);
    std::string failure;
    spinUntil(player, 5s, [&] {
        try {
            player.status();
        } catch (const Error& error) {
            failure = error.what();
        }
        return !failure.empty();
    });
    EXPECT_NE(failure.find("libvantor-no-such-mpv.so.9"), std::string::npos) << failure;
    EXPECT_THROW(player.setUrl(mediaPath("clip.mp4")), Error);
    EXPECT_THROW(player.play(), Error);
    EXPECT_THROW(player.currentPosition(), Error);
    EXPECT_NO_THROW(player.fitDisplay(0, 0, 10, 10));
    EXPECT_NO_THROW(player.drainEvents());
    EXPECT_NO_THROW(player.release());
}

// What waits for the start runs once, when mpv has started (no event was handled before, so it cannot
// have), and what is given afterwards runs at once.
TEST_F(MpvPlayerTest, HandlersWaitingForTheStartRunOnceWhenItIsDone)
{
    int runs = 0;
    m_player->whenStarted([&] { ++runs; });
    EXPECT_EQ(runs, 0);
    ASSERT_TRUE(spinUntil(*m_player, 5s, [&] { return runs > 0; }));
    spinFor(*m_player, 50ms);
    EXPECT_EQ(runs, 1);
    int later = 0;
    m_player->whenStarted([&] { ++later; });
    EXPECT_EQ(later, 1);
    EXPECT_EQ(runs, 1);
}

// A start that fails ends the wait as well: the handler then meets the failure in every request.
TEST(MpvPlayerWithoutLibrary, HandlersWaitingForTheStartRunWhenItFails)
{
    qputenv("VANTOR_MPV_LIBRARY", "libvantor-no-such-mpv.so.9");
    MpvPlayer player(MpvPlayer::Options { "null" });
    qunsetenv("VANTOR_MPV_LIBRARY");
    bool failed = false;
    player.whenStarted([&] {
        failed = [&] {
            try {
                player.setUrl(mediaPath("clip.mp4"));
            } catch (const Error&) {
                return true;
            }
            return false;
        }();
    });
    EXPECT_TRUE(spinUntil(player, 5s, [&] { return failed; }));
}

TEST_F(MpvPlayerTest, OpenedFileStandsStillAtTheStart)
{
    m_player->setUrl(mediaPath("clip.mp4"));
    m_player->stop();
    // Opening is asynchronous: until the file is loaded there is no position string yet.
    EXPECT_EQ(m_player->status(), "正在打开…");
    EXPECT_EQ(m_player->currentPositionString(), "");
    ASSERT_TRUE(spinUntil(*m_player, 5s, [this] { return m_player->isFileLoaded(); }));
    EXPECT_EQ(m_player->currentPositionString(), "00:00");
    EXPECT_EQ(m_player->status(), "已停止");
    spinFor(*m_player, 500ms);
    EXPECT_EQ(m_player->currentPosition(), 0.0);
    EXPECT_EQ(m_player->currentPositionString(), "00:00");
    EXPECT_NE(m_player->playState(), PlayState::Playing);
}

TEST_F(MpvPlayerTest, PlayingReportsPlayingAtEveryReadAndAdvancesInRealTime)
{
    m_player->setUrl(mediaPath("clip.mp4"));
    m_player->stop();
    // Play at once, before the file has loaded and before mpv has told its initial pause state: a late
    // report of that old state must not make the player look paused.
    m_player->play();
    int notPlaying = 0;
    const auto sample = [&] { notPlaying += m_player->playState() != PlayState::Playing; };
    ASSERT_TRUE(spinUntil(*m_player, 5s, [this] { return m_player->isFileLoaded(); }));
    ASSERT_TRUE(spinUntil(
        *m_player, 2s, [this] { return m_player->currentPosition() > 0; }, sample));
    QElapsedTimer clock;
    clock.start();
    const double from = m_player->currentPosition();
    double last = from;
    bool monotonic = true;
    spinFor(*m_player, 1s, [&] {
        sample();
        const double position = m_player->currentPosition();
        monotonic = monotonic && position >= last;
        last = position;
    });
    EXPECT_EQ(notPlaying, 0);
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(m_player->status(), "正在播放");
    // Frames come every 40 ms, so the position lags real time by up to a frame.
    EXPECT_NEAR(m_player->currentPosition() - from, clock.elapsed() / 1000.0, 2 * kFrame + 0.03);
}

TEST_F(MpvPlayerTest, PauseHoldsThePosition)
{
    openAndWait(mediaPath("clip.mp4"));
    m_player->play();
    spinFor(*m_player, 600ms);
    m_player->pause();
    EXPECT_EQ(m_player->playState(), PlayState::Paused);
    EXPECT_EQ(m_player->status(), "已暂停");
    const double atPause = m_player->currentPosition();
    EXPECT_GT(atPause, 0.3);
    // mpv may show one more frame before the pause takes hold; after that nothing moves.
    spinFor(*m_player, 100ms);
    const double held = m_player->currentPosition();
    EXPECT_NEAR(held, atPause, kFrame + 1e-6);
    spinFor(*m_player, 500ms);
    EXPECT_EQ(m_player->currentPosition(), held);
    EXPECT_EQ(m_player->playState(), PlayState::Paused);
}

// mpv reports each pause change some time after it was asked for; a report of the earlier state arriving
// after a newer request must not be taken for the player's state.
TEST_F(MpvPlayerTest, StateFollowsTheLatestRequestWhenRequestsFollowQuickly)
{
    openAndWait(mediaPath("clip.mp4"));
    int requests = 0;
    int wrong = 0;
    spinUntil(
        *m_player, 5s, [&] { return requests == 300; },
        [&] {
            const bool playing = requests % 2 == 1;
            wrong += requests > 0 && (m_player->playState() == PlayState::Playing) != playing;
            // Within one tick as well: the state of the last request holds.
            m_player->pause();
            m_player->play();
            if (playing)
                m_player->pause();
            ++requests;
        });
    EXPECT_EQ(wrong, 0);
    spinFor(*m_player, 200ms);
    EXPECT_EQ(m_player->playState(), PlayState::Paused);
}

TEST_F(MpvPlayerTest, StopGoesBackToTheStartAndStaysThere)
{
    openAndWait(mediaPath("clip.mp4"));
    m_player->play();
    spinFor(*m_player, 500ms);
    m_player->stop();
    EXPECT_EQ(m_player->currentPosition(), 0.0);
    EXPECT_EQ(m_player->playState(), PlayState::Stopped);
    spinFor(*m_player, 400ms);
    EXPECT_EQ(m_player->currentPosition(), 0.0);
    EXPECT_EQ(m_player->currentPositionString(), "00:00");
    m_player->play();
    EXPECT_EQ(m_player->playState(), PlayState::Playing);
    spinFor(*m_player, 400ms);
    EXPECT_GT(m_player->currentPosition(), 0.1);
}

struct SeekCase {
    const char* name;
    double target;
    bool playing;
};

void PrintTo(const SeekCase& seekCase, std::ostream* out)
{
    *out << seekCase.name;
}

class ExactSeekTest : public PlayerTest, public ::testing::WithParamInterface<SeekCase> { };

// A seek is exact: a read right after returns the target, and the first position mpv reports once it has
// restarted playback is the frame at the target (playing, plus what has played since the seek).
TEST_P(ExactSeekTest, ReadRightAfterReturnsTargetAndPlaybackRestartsThere)
{
    const SeekCase& seekCase = GetParam();
    openAndWait(mediaPath("clip.mp4"));
    m_player->setCurrentPosition(3.0);
    if (seekCase.playing)
        m_player->play();
    spinFor(*m_player, 300ms);

    QElapsedTimer sinceSeek;
    sinceSeek.start();
    m_player->setCurrentPosition(seekCase.target);
    EXPECT_EQ(m_player->currentPosition(), seekCase.target);
    EXPECT_EQ(m_player->playState(), seekCase.playing ? PlayState::Playing : PlayState::Paused);
    double restarted = -1;
    double played = 0;
    spinUntil(
        *m_player, 1s, [&] { return restarted >= 0; },
        [&] {
            if (m_player->currentPosition() != seekCase.target) {
                restarted = m_player->currentPosition();
                played = sinceSeek.elapsed() / 1000.0;
            }
        });
    if (restarted < 0) // Paused on a frame boundary mpv reports the target itself: nothing changes.
        restarted = m_player->currentPosition();
    EXPECT_GE(restarted, seekCase.target - kFrame - 1e-6);
    EXPECT_LE(restarted, seekCase.target + kFrame + (seekCase.playing ? played : 0) + 1e-6)
        << "first reported " << played << " s after the seek";
    spinFor(*m_player, 300ms);
    if (seekCase.playing) {
        EXPECT_EQ(m_player->playState(), PlayState::Playing);
        EXPECT_GT(m_player->currentPosition(), seekCase.target + 0.1);
    } else {
        EXPECT_NEAR(m_player->currentPosition(), seekCase.target, kFrame + 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Clip, ExactSeekTest,
    ::testing::Values(SeekCase { "PausedForwardBetweenKeyframes", 12.62, false },
        SeekCase { "PausedBackwardOnAFrame", 1.2, false },
        SeekCase { "PlayingForwardBetweenKeyframes", 21.53, true },
        SeekCase { "PlayingBackwardBetweenKeyframes", 0.73, true }),
    [](const auto& info) { return std::string(info.param.name); });

// Seeks that follow each other faster than mpv carries them out: positions mpv reports for an earlier
// target, or from before the seek, must not replace the latest target.
TEST_F(MpvPlayerTest, ReadAfterABurstOfSeeksGivesTheLatestTarget)
{
    openAndWait(mediaPath("clip.mp4"));
    m_player->play();
    spinFor(*m_player, 200ms);
    double target = -1;
    int seeks = 0;
    int stale = 0;
    double worst = 0;
    spinUntil(
        *m_player, 5s, [&] { return seeks == 200; },
        [&] {
            if (target >= 0) {
                const double error = std::abs(m_player->currentPosition() - target);
                stale += error > kFrame + 1e-6;
                worst = std::max(worst, error);
            }
            target = (seeks % 2 ? 5.0 : 15.0) + seeks % 7 * 0.11;
            m_player->setCurrentPosition(target);
            ++seeks;
        });
    EXPECT_EQ(stale, 0) << "worst distance from the latest target " << worst << " s";
    spinFor(*m_player, 300ms);
    EXPECT_NEAR(m_player->currentPosition(), target + 0.3, 0.15);
}

TEST_F(MpvPlayerTest, SeekWhileOpeningIsCarriedOutOnceLoaded)
{
    m_player->setUrl(mediaPath("clip.mp4"));
    m_player->stop();
    m_player->setCurrentPosition(7.5);
    EXPECT_EQ(m_player->currentPosition(), 7.5);
    ASSERT_TRUE(spinUntil(*m_player, 5s, [this] { return m_player->isFileLoaded(); }));
    spinFor(*m_player, 300ms);
    EXPECT_NEAR(m_player->currentPosition(), 7.5, kFrame + 1e-6);
}

TEST_F(MpvPlayerTest, SeekPastTheEndLeavesThePlayerUsable)
{
    openAndWait(mediaPath("clip.mp4"));
    m_player->setCurrentPosition(100);
    EXPECT_EQ(m_player->currentPosition(), 100.0);
    spinFor(*m_player, 500ms);
    // mpv stops at the last frame; the position follows it rather than staying at the unreachable target.
    EXPECT_LE(m_player->currentPosition(), 30.0);
    EXPECT_GT(m_player->currentPosition(), 29.0);
    m_player->setCurrentPosition(5);
    m_player->play();
    EXPECT_EQ(m_player->currentPosition(), 5.0);
    spinFor(*m_player, 500ms);
    EXPECT_EQ(m_player->playState(), PlayState::Playing);
    EXPECT_GT(m_player->currentPosition(), 5.2);
    EXPECT_LT(m_player->currentPosition(), 6.0);
}

struct PositionStringCase {
    double seconds;
    const char* expected;
    const char* settled;
};

void PrintTo(const PositionStringCase& positionCase, std::ostream* out)
{
    *out << positionCase.seconds << " s";
}

class PositionStringTest : public PlayerTest, public ::testing::WithParamInterface<PositionStringCase> { };

// long.mp4 runs 62 minutes (frames 0 to 3719 s) at one frame a second; its frames lie on whole seconds.
TEST_P(PositionStringTest, IsMinutesAndSecondsBelowAnHourAndHoursFromThenOn)
{
    const auto [seconds, expected, settled] = GetParam();
    openAndWait(mediaPath("long.mp4"));
    m_player->setCurrentPosition(seconds);
    EXPECT_EQ(m_player->currentPositionString(), expected);
    spinFor(*m_player, 400ms);
    EXPECT_EQ(m_player->currentPositionString(), settled) << "settled at " << m_player->currentPosition();
}

INSTANTIATE_TEST_SUITE_P(LongClip, PositionStringTest,
    ::testing::Values(
        // Past the last frame: the read right after the seek gives the target, then mpv halts at the end.
        PositionStringCase { 3723.5, "01:02:03", "01:01:59" },
        PositionStringCase { 3661.0, "01:01:01", "01:01:01" }, PositionStringCase { 754.0, "12:34", "12:34" },
        PositionStringCase { 3599.0, "59:59", "59:59" },
        PositionStringCase { 3600.0, "01:00:00", "01:00:00" }, PositionStringCase { 9.0, "00:09", "00:09" }));

struct UnplayableCase {
    const char* name;
    const char* fileName;
    // Nothing for a file that does not exist.
    std::optional<std::string> content;
    const char* status;
};

void PrintTo(const UnplayableCase& unplayable, std::ostream* out)
{
    *out << unplayable.name;
}

class UnplayableFileTest : public PlayerTest, public ::testing::WithParamInterface<UnplayableCase> { };

TEST_P(UnplayableFileTest, GivesAStatusThatSaysSoAndTheNextOpenWorks)
{
    const UnplayableCase& unplayable = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string path = folder.filePath(QString::fromUtf8(unplayable.fileName)).toStdString();
    if (unplayable.content)
        std::ofstream(path, std::ios::binary) << *unplayable.content;
    // The port's failure report, as the core hears it.
    std::vector<std::string> reasons;
    m_player->setOpenFailureHandler([&](const std::string& reason) { reasons.push_back(reason); });
    m_player->setUrl(path);
    m_player->stop();
    ASSERT_TRUE(spinUntil(*m_player, 5s, [&] { return !reasons.empty(); })) << m_player->status();
    EXPECT_EQ(reasons.size(), 1u);
    EXPECT_EQ("无法播放：" + reasons.front(), unplayable.status);
    EXPECT_EQ(m_player->status(), unplayable.status);
    EXPECT_FALSE(m_player->isFileLoaded());
    EXPECT_EQ(m_player->playState(), PlayState::Undefined);
    EXPECT_EQ(m_player->currentPositionString(), "");
    m_player->play();
    m_player->setCurrentPosition(2);
    spinFor(*m_player, 200ms);
    EXPECT_NE(m_player->playState(), PlayState::Playing);
    EXPECT_EQ(m_player->status(), unplayable.status);

    // The next open works as if nothing had happened.
    openAndWait(mediaPath("clip.mp4"));
    EXPECT_EQ(m_player->status(), "已停止");
    EXPECT_EQ(m_player->currentPositionString(), "00:00");
    EXPECT_EQ(m_player->currentPosition(), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Open, UnplayableFileTest,
    ::testing::Values(
        UnplayableCase { "TextFile", "notes.txt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nnot a video\r\n",
            "无法播放：文件中没有可播放的视频或音频" },
        UnplayableCase {
            "GarbageWithVideoName", "video.mp4", std::string(4096, '\x5a'), "无法播放：无法识别的文件格式" },
        UnplayableCase { "MissingFile", "missing.mp4", std::nullopt, "无法播放：文件无法打开" }),
    [](const auto& info) { return std::string(info.param.name); });

struct ReleasedCall {
    const char* name;
    std::function<void(MpvPlayer&, QWidget&)> call;
};

void PrintTo(const ReleasedCall& call, std::ostream* out)
{
    *out << call.name;
}

class ReleasedPlayerTest : public PlayerTest, public ::testing::WithParamInterface<ReleasedCall> { };

TEST_P(ReleasedPlayerTest, OperationThrows)
{
    openAndWait(mediaPath("clip.mp4"));
    m_player->release();
    EXPECT_THROW(GetParam().call(*m_player, m_host), Error);
    // Releasing twice, draining, and a resize of the closing window afterwards are harmless.
    EXPECT_NO_THROW(m_player->release());
    EXPECT_NO_THROW(m_player->drainEvents());
    EXPECT_NO_THROW(m_player->fitDisplay(0, 0, 100, 80));
}

INSTANTIATE_TEST_SUITE_P(AfterRelease, ReleasedPlayerTest,
    ::testing::Values(ReleasedCall { "setUrl", [](MpvPlayer& p, QWidget&) { p.setUrl("x.mp4"); } },
        ReleasedCall { "play", [](MpvPlayer& p, QWidget&) { p.play(); } },
        ReleasedCall { "stop", [](MpvPlayer& p, QWidget&) { p.stop(); } },
        ReleasedCall { "pause", [](MpvPlayer& p, QWidget&) { p.pause(); } },
        ReleasedCall { "currentPosition", [](MpvPlayer& p, QWidget&) { p.currentPosition(); } },
        ReleasedCall { "setCurrentPosition", [](MpvPlayer& p, QWidget&) { p.setCurrentPosition(1); } },
        ReleasedCall { "currentPositionString", [](MpvPlayer& p, QWidget&) { p.currentPositionString(); } },
        ReleasedCall { "playState", [](MpvPlayer& p, QWidget&) { p.playState(); } },
        ReleasedCall { "status", [](MpvPlayer& p, QWidget&) { p.status(); } },
        ReleasedCall {
            "createVideoSurface", [](MpvPlayer& p, QWidget& host) { p.createVideoSurface(&host); } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MpvPlayerTest, InvalidPositionThrows)
{
    openAndWait(mediaPath("clip.mp4"));
    EXPECT_THROW(m_player->setCurrentPosition(std::numeric_limits<double>::quiet_NaN()), Error);
    EXPECT_THROW(m_player->setCurrentPosition(std::numeric_limits<double>::infinity()), Error);
    EXPECT_EQ(m_player->currentPosition(), 0.0);
}

// Under the offscreen platform the surface is libmpv's software renderer; the picture must reach the widget.
TEST_F(MpvPlayerTest, SoftwareSurfaceShowsTheVideoPicture)
{
    EXPECT_EQ(m_player->renderer(), "sw");
    m_host.resize(320, 240);
    m_surface->setGeometry(0, 0, 320, 240);
    m_host.show();
    openAndWait(mediaPath("clip.mp4"));
    m_player->play();
    ASSERT_TRUE(spinUntil(*m_player, 3s, [this] { return surface().framesRendered() >= 10; }))
        << surface().framesRendered() << " frames";
    const QImage picture = m_surface->grab().toImage();
    ASSERT_FALSE(picture.isNull());
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 4) {
        for (int x = 0; x < picture.width(); x += 4)
            colours.insert(picture.pixel(x, y));
    }
    // The test pattern has many colours; an empty or black surface is one.
    EXPECT_GT(colours.size(), 20u);
}

// Wayland's backing store has an alpha channel (ARGB32 premultiplied): the picture must be opaque there,
// or the compositor blends the panel away. Painting into such an image shows what the window would get.
TEST_F(MpvPlayerTest, SoftwarePictureIsOpaqueOnABackingStoreWithAlpha)
{
    m_host.resize(320, 240);
    m_surface->setGeometry(0, 0, 320, 240);
    m_host.show();
    openAndWait(mediaPath("clip.mp4"));
    ASSERT_TRUE(spinUntil(*m_player, 3s, [this] { return surface().framesRendered() >= 1; }));
    QImage store(m_surface->size(), QImage::Format_ARGB32_Premultiplied);
    store.fill(Qt::transparent);
    m_surface->render(&store);
    int translucent = 0;
    for (int y = 0; y < store.height(); y += 4) {
        for (int x = 0; x < store.width(); x += 4)
            translucent += qAlpha(store.pixel(x, y)) != 255;
    }
    EXPECT_EQ(translucent, 0) << "pixels that are not opaque, of "
                              << (store.width() / 4) * (store.height() / 4);
}

// At a scale factor of 2 the picture is rendered in device pixels. A frame of the widget's logical size,
// stretched, would be made of 2 x 2 blocks of one colour each; a picture rendered at 640 x 480 has edges
// (the test pattern's bars, its gradient, its moving squares and digits) inside many blocks.
// Runs as ctest player_software_picture_at_scale_2, with QT_SCALE_FACTOR=2.
TEST_F(MpvPlayerTest, SoftwarePictureUsesTheDevicePixelsAtScale2)
{
    if (m_host.devicePixelRatioF() != 2.0)
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=2; device pixel ratio is " << m_host.devicePixelRatioF();
    m_host.resize(320, 240);
    m_surface->setGeometry(0, 0, 320, 240);
    m_host.show();
    openAndWait(mediaPath("clip.mp4"));
    ASSERT_TRUE(spinUntil(*m_player, 3s, [this] { return surface().framesRendered() >= 1; }));
    const QImage picture = m_surface->grab().toImage();
    ASSERT_EQ(picture.size(), QSize(640, 480));
    int mixedBlocks = 0;
    for (int y = 0; y + 1 < picture.height(); y += 2) {
        for (int x = 0; x + 1 < picture.width(); x += 2) {
            const QRgb corner = picture.pixel(x, y);
            mixedBlocks += picture.pixel(x + 1, y) != corner || picture.pixel(x, y + 1) != corner
                || picture.pixel(x + 1, y + 1) != corner;
        }
    }
    // Of 76,800 blocks 69,712 were mixed when measured; a stretched frame has none.
    EXPECT_GT(mixedBlocks, 500);
}

TEST_F(MpvPlayerTest, FitDisplayCoversTheRectangle)
{
    m_player->fitDisplay(0, 0, 200, 150);
    EXPECT_EQ(m_surface->geometry(), QRect(0, 0, 200, 150));
}

} // namespace
} // namespace vantor::test
