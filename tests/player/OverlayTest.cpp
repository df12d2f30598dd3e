#include "Ink.h"
#include "PlayerFixture.h"

#include "overlay/AssText.h"

#include <QImage>

#include <functional>

namespace vantor::test {
namespace {

class OverlayTest : public PlayerTest {
protected:
    // Shows the black clip paused at 1 s in a surface of `width` × `height`.
    void showBlackClip(int width, int height)
    {
        m_host.resize(width, height);
        m_surface->setGeometry(0, 0, width, height);
        m_host.show();
        openAndWait(mediaPath("black.mp4"));
        m_player->setCurrentPosition(1.0);
        ASSERT_TRUE(spinUntil(*m_player, 3s, [this] { return surface().framesRendered() >= 1; }));
    }

    // Waits until the picture's ink of `match` is what `ready` wants, then returns it.
    InkBox inkWhen(const std::function<bool(QRgb)>& match, const std::function<bool(const InkBox&)>& ready)
    {
        InkBox box;
        spinUntil(*m_player, 3s, [&] {
            box = ink(match);
            return ready(box);
        });
        return box;
    }

    InkBox ink(const std::function<bool(QRgb)>& match) { return inkOf(m_surface->grab().toImage(), match); }
};

TEST_F(OverlayTest, DefaultStyleTextStandsBottomMiddleAndGoesWhenCleared)
{
    showBlackClip(320, 240);
    EXPECT_EQ(ink(whiteInk).count, 0) << "the clip is black";
    m_player->setOverlay({ overlayEventOfSrtText("<b>HHHH</b>") });
    const InkBox box = inkWhen(whiteInk, [](const InkBox& b) { return b.count > 30; });
    ASSERT_GT(box.count, 30);
    // Bottom middle, 10 of 288 script units above the picture's bottom: y 231.7 of 240.
    EXPECT_NEAR(box.centreX(), 160, 6);
    EXPECT_NEAR(box.bottom, 231, 6);
    EXPECT_GT(box.top, 180);

    m_player->setOverlay({});
    EXPECT_EQ(inkWhen(whiteInk, [](const InkBox& b) { return b.count == 0; }).count, 0);
}

// The custom style's \pos and colour land where SRT renderers put them: a 384 × 288 script over the picture,
// also when the picture is letterboxed in a taller surface.
TEST_F(OverlayTest, CustomPositionAndColourFollowThePictureNotTheSurface)
{
    showBlackClip(320, 320);
    m_player->setOverlay({ overlayEventOfSrtText("<font color=#FF0000>{\\fnArial\\fs18\\pos(96,144)\\}HH") });
    const InkBox box = inkWhen(redInk, [](const InkBox& b) { return b.count > 20; });
    ASSERT_GT(box.count, 20);
    EXPECT_EQ(ink(whiteInk).count, 0) << "the text is red, not white";
    // (96, 144) of the script is (80, 120) of the 320 × 240 picture, which starts 40 px down: (80, 160). The
    // text's bottom middle stands there.
    EXPECT_NEAR(box.centreX(), 80, 6);
    EXPECT_NEAR(box.bottom, 160, 6);
}

TEST_F(OverlayTest, EventsSetBeforeTheFileOpensAreDrawnOnceItShows)
{
    m_player->setOverlay({ overlayEventOfSrtText("HHHH") });
    showBlackClip(320, 240);
    EXPECT_GT(inkWhen(whiteInk, [](const InkBox& b) { return b.count > 30; }).count, 30);
}

} // namespace
} // namespace vantor::test
