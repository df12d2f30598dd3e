#include "WholeProgram.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace vantor {
namespace {

const std::string kPadding(21, ' ');

// The real window on the real player (libmpv, null audio): Timer1 rests when nothing can change and comes
// back when the player or a handler changes something, and the labels read as a further tick would make
// them. The waits are deadlines for a slow machine, not measurements.
class IdleTickTest : public ::testing::Test, protected test::WholeProgram {
protected:
    QTimer& timer = app.window().timer1();

    void SetUp() override { app.show(); }
    void TearDown() override { form.close(); }

    std::string label(const char* name) const
    {
        return form.findChild<QLabel*>(QString::fromLatin1(name))->text().toStdString();
    }

    // Waits until Timer1 rests, then checks that a tick made now would show the same labels.
    void expectRestingWithFinalLabels(const std::string& status)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !timer.isActive(); }, 10000)) << status;
        // A frame already under way when the player paused may still report its position and wake the
        // tick once more; the labels are checked when that has settled.
        QTest::qWait(300);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !timer.isActive(); }, 10000)) << status;
        EXPECT_EQ(label("Label2"), status + kPadding);
        const std::string position = label("Label1");
        app.controller().Timer1Timer();
        EXPECT_EQ(label("Label1"), position) << status;
        EXPECT_EQ(label("Label2"), status + kPadding);
    }

    void openClip()
    {
        const QString clip = folder.filePath(QStringLiteral("clip.mp4"));
        ASSERT_TRUE(QFile::copy(QString::fromLocal8Bit(qgetenv("VANTOR_TEST_MEDIA")) + "/clip.mp4", clip));
        dialogs.fileToOpen = clip.toStdString();
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("OpenButton")), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return app.player().isFileLoaded(); }, 10000));
    }
};

TEST_F(IdleTickTest, WithoutVideoTheTickRestsOnTheReadyStatus)
{
    expectRestingWithFinalLabels("就绪");
    EXPECT_EQ(label("Label1"), "");
}

TEST_F(IdleTickTest, PausedTheTickRestsAndPlayingBringsItBack)
{
    openClip();
    expectRestingWithFinalLabels("已停止");
    EXPECT_EQ(label("Label1"), "00:00:00,000");

    // Playing asked of the player alone: the player's own news must wake the tick.
    app.player().play();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return timer.isActive() && label("Label1") >= "00:00:00,500"; }, 10000));
    EXPECT_EQ(label("Label2"), "正在播放" + kPadding);

    app.player().pause();
    expectRestingWithFinalLabels("已暂停");
    EXPECT_EQ(label("Label1"), app.controller().CurrentTimeCode());
    EXPECT_NE(label("Label1"), "00:00:00,000");

    // F9 through its button: the handler's end asks for ticks at once.
    auto* start = form.findChild<QPushButton*>(QStringLiteral("StartTimeButton"));
    ASSERT_TRUE(start->isEnabled());
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_TRUE(timer.isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return label("Label2") == "正在播放" + kPadding; }, 10000));
    EXPECT_TRUE(timer.isActive());
}

} // namespace
} // namespace vantor
