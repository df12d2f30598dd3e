#include "PlayerFixture.h"

#include "capture/CaptureClock.h"
#include "model/CaptureSession.h"
#include "ports/MainView.h"

#include <QElapsedTimer>

#include <map>
#include <vector>

namespace vantor::test {
namespace {

// The main window's fields as plain texts; counts the writes of each.
class RecordingView : public MainView {
public:
    std::string text(Control control) const override
    {
        const auto found = m_texts.find(control);
        return found == m_texts.end() ? std::string() : found->second;
    }
    void setText(Control control, const std::string& text) override
    {
        m_texts[control] = text;
        ++m_writes[control];
    }
    bool isEnabled(Control) const override { return true; }
    void setEnabled(Control, bool) override { }
    bool isVisible(Control) const override { return true; }
    void setVisible(Control, bool) override { }
    void setFocus(Control) override { }
    int videoPanelWidth() const override { return 160; }
    int videoPanelHeight() const override { return 120; }
    // The plain view plays no part in the timer tick.
    void plainViewReset(const std::vector<std::string>&) override { }
    void plainViewInsertLine(std::size_t, const std::string&) override { }
    void plainViewRemoveLine(std::size_t) override { }
    void plainViewReplaceLine(std::size_t, const std::string&) override { }
    void plainCaretToEnd() override { }
    int plainSelectionStartLine() const override { return 0; }
    int plainCaretColumn() const override { return 0; }
    void setPlainReadOnly(bool) override { }

    int writes(Control control) const
    {
        const auto found = m_writes.find(control);
        return found == m_writes.end() ? 0 : found->second;
    }

private:
    std::map<Control, std::string> m_texts;
    std::map<Control, int> m_writes;
};

class SegmentLoopTest : public PlayerTest {
protected:
    CaptureSession m_session;
    RecordingView m_view;
};

// The real timer tick over the real player: a marked segment plays over and over, each pass ends one
// frame past the end mark, and each pass costs exactly one seek.
TEST_F(SegmentLoopTest, MarkedSegmentLoopsWithOneSeekPerWrap)
{
    constexpr double kStart = 2.0;
    constexpr double kEnd = 4.0;
    CaptureClock clock(m_session, m_view, *m_player);
    openAndWait(mediaPath("clip.mp4"));
    m_player->setCurrentPosition(kEnd - 0.5);
    m_player->play();
    spinFor(*m_player, 100ms);
    m_session.StartSeconds = kStart;
    m_session.EndSeconds = kEnd;

    const std::uint64_t seeksBefore = m_player->seeksIssued();
    std::vector<double> wrapTimes;
    std::vector<double> wrapSeconds;
    double highest = 0;
    double lowestAfterFirstWrap = kEnd;
    QElapsedTimer elapsed;
    elapsed.start();
    spinFor(*m_player, 6700ms, [&] {
        const double before = m_player->currentPosition();
        highest = std::max(highest, before);
        clock.Timer1Timer();
        if (before > kEnd) {
            wrapTimes.push_back(elapsed.elapsed() / 1000.0);
            wrapSeconds.push_back(static_cast<double>(m_session.WrapSeconds));
            // A read right after the jump already gives the start mark.
            EXPECT_EQ(m_player->currentPosition(), kStart);
        } else if (!wrapTimes.empty()) {
            lowestAfterFirstWrap = std::min(lowestAfterFirstWrap, before);
        }
    });

    // First wrap after about half a second, then one every segment length (2 s plus the frame past the end).
    ASSERT_GE(wrapTimes.size(), 3u);
    EXPECT_LE(wrapTimes.size(), 4u);
    EXPECT_EQ(m_player->seeksIssued() - seeksBefore, wrapTimes.size());
    EXPECT_NEAR(wrapTimes.front(), 0.5, 0.25);
    for (std::size_t i = 1; i < wrapTimes.size(); ++i)
        EXPECT_NEAR(wrapTimes[i] - wrapTimes[i - 1], kEnd - kStart + kFrame, 0.15) << "wrap " << i;
    // Never more than one frame (plus the tick that notices it) past the end mark.
    EXPECT_LE(highest, kEnd + kFrame + 0.001 + 1e-9);
    EXPECT_GE(lowestAfterFirstWrap, kStart - 1e-9);
    for (const double wrap : wrapSeconds) {
        EXPECT_GT(wrap, kEnd);
        EXPECT_LE(wrap, kEnd + kFrame + 0.001 + 1e-9);
    }
    EXPECT_EQ(m_session.WrapTimeCode.size(), 12u);
    EXPECT_EQ(m_session.WrapTimeCode.substr(0, 10), "00:00:04,0") << m_session.WrapTimeCode;
    EXPECT_EQ(m_view.text(Control::Label2).rfind("正在播放", 0), 0u);
    EXPECT_EQ(m_view.text(Control::Label1).substr(0, 7), "00:00:0");
}

// With the marks the wrong way round, equal, or one of them zero the loop never jumps.
struct UnarmedCase {
    const char* name;
    double start;
    double end;
};

class UnarmedLoopTest : public SegmentLoopTest, public ::testing::WithParamInterface<UnarmedCase> { };

TEST_P(UnarmedLoopTest, PlaybackRunsThroughTheMarks)
{
    const auto& [name, start, end] = GetParam();
    CaptureClock clock(m_session, m_view, *m_player);
    openAndWait(mediaPath("clip.mp4"));
    m_session.StartSeconds = start;
    m_session.EndSeconds = end;
    m_player->setCurrentPosition(0.8);
    m_player->play();
    const std::uint64_t seeksBefore = m_player->seeksIssued();
    spinFor(*m_player, 700ms, [&] { clock.Timer1Timer(); });
    EXPECT_EQ(m_player->seeksIssued(), seeksBefore);
    EXPECT_GT(m_player->currentPosition(), 1.2);
    EXPECT_EQ(m_session.WrapTimeCode, "");
}

INSTANTIATE_TEST_SUITE_P(Marks, UnarmedLoopTest,
    ::testing::Values(UnarmedCase { "EndBeforeStart", 1.0, 0.9 }, UnarmedCase { "StartEqualsEnd", 1.0, 1.0 },
        UnarmedCase { "NoStart", 0.0, 1.0 }, UnarmedCase { "NoEnd", 1.0, 0.0 }),
    [](const auto& info) { return std::string(info.param.name); });

// The position label shows the player's time code once a file is loaded, the status label its state.
TEST_F(SegmentLoopTest, TickShowsTimeCodeAndStatusOfTheRealPlayer)
{
    CaptureClock clock(m_session, m_view, *m_player);
    clock.Timer1Timer();
    EXPECT_EQ(m_view.writes(Control::Label1), 0);
    EXPECT_EQ(m_view.text(Control::Label2), "就绪" + std::string(21, ' '));
    // Nothing open: no position string, and the code is still a whole one.
    EXPECT_EQ(clock.CurrentTimeCode(), "00:00:00,000");

    openAndWait(mediaPath("long.mp4"));
    m_player->setCurrentPosition(3723.5);
    clock.Timer1Timer();
    EXPECT_EQ(m_view.text(Control::Label1), "01:02:03,500");
    EXPECT_EQ(m_view.text(Control::Label2), "已暂停" + std::string(21, ' '));
    m_player->setCurrentPosition(83.456789);
    EXPECT_EQ(clock.CurrentTimeCode(), "00:01:23,456");
}

} // namespace
} // namespace vantor::test
