#include "Ink.h"
#include "WholeProgram.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace vantor {
namespace {

using test::InkBox;

const QByteArray kDefaultBlock = QByteArray("{\\fn\xBA\xDA\xCC\xE5\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>");
// The first entry spans the whole clip; after a load the player stands at the last entry's end (2 s).
const QByteArray kOldFile = "1\r\n00:00:00,000 --> 00:00:20,000\r\n" + kDefaultBlock + "HHHH</b>\r\n\r\n"
    + "2\r\n00:00:01,000 --> 00:00:02,000\r\n" + kDefaultBlock + "H</b>\r\n\r\n";

// The whole program on the all-black clip, so that any white on the picture is subtitle text.
class OverlayWindowTest : public ::testing::Test, protected test::WholeProgram {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        app.show();
        QFile::copy(QString::fromLocal8Bit(qgetenv("VANTOR_TEST_MEDIA")) + "/black.mp4", path("clip.mp4"));
    }
    void TearDown() override { form.close(); }

    QString path(const QString& name) const { return folder.filePath(name); }

    void open(bool answerYes = true)
    {
        dialogs.fileToOpen = path("clip.mp4").toStdString();
        dialogs.answerYes = answerYes;
        QTest::mouseClick(form.findChild<QPushButton*>("OpenButton"), Qt::LeftButton);
    }

    void writeSubtitles(const QByteArray& formatted)
    {
        QFile file(path("clip.srt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(formatted);
    }

    InkBox whiteOnPicture()
    {
        return test::inkOf(form.findChild<QWidget*>("WP")->grab().toImage(), test::whiteInk);
    }

    // Waits up to `ms` for white text on the picture.
    bool textAppears(int ms = 3000)
    {
        return QTest::qWaitFor([this] { return whiteOnPicture().count > 20; }, ms);
    }

    QString footer() const { return form.findChild<QLabel*>("Label3")->text(); }
};

TEST_F(OverlayWindowTest, TheLineBeingTypedShowsOverTheLoopBeforeEnter)
{
    open();
    ASSERT_TRUE(QTest::qWaitFor([this] { return app.controller().fileSet().canCapture(); }, 3000));
    QTest::keyClick(&form, Qt::Key_F9);
    QTest::qWait(300);
    QTest::keyClick(&form, Qt::Key_F10);
    EXPECT_EQ(whiteOnPicture().count, 0);
    auto* input = form.findChild<QLineEdit*>("InputEdit");
    ASSERT_TRUE(input->hasFocus());
    QTest::keyClicks(input, "HHHH");
    EXPECT_TRUE(textAppears()) << "typed text shows before Enter";
    EXPECT_FALSE(QFile(path("clip.srt")).exists() && QFile(path("clip.srt")).size() > 0)
        << "nothing is written before Enter";

    // Taking the text back takes it off the picture.
    input->selectAll();
    QTest::keyClick(input, Qt::Key_Backspace);
    EXPECT_TRUE(QTest::qWaitFor([this] { return whiteOnPicture().count == 0; }, 3000));
}

// After No the old file is a backup and never shows; the same file shows when the user edits it (the test
// that hides and shows the subtitles opens it with Yes).
TEST_F(OverlayWindowTest, AnOldFileNeverShowsAfterNo)
{
    writeSubtitles(kOldFile);
    open(false);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    QTest::keyClick(&form, Qt::Key_F9);
    int frames = 0;
    QTest::qWaitFor(
        [&] {
            ++frames;
            EXPECT_EQ(whiteOnPicture().count, 0);
            return false;
        },
        1500);
    EXPECT_GT(frames, 10);
}

// A pipe in the subtitle file's place is refused with a message; the video opens all the same (the player
// no longer reads that name, which would wait on the pipe for ever).
TEST_F(OverlayWindowTest, APipeNamedLikeTheSubtitleFileNeverBlocksTheVideo)
{
    ASSERT_EQ(::mkfifo(path("clip.srt").toLocal8Bit().constData(), 0644), 0);
    open(true);
    EXPECT_EQ(dialogs.errors.size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return form.findChild<QLabel*>("Label1")->text().startsWith("00:"); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor(
        [this] {
            return app.player().playState() == PlayState::Paused
                || app.player().playState() == PlayState::Stopped;
        },
        3000))
        << "the video opened";
}

TEST_F(OverlayWindowTest, CtrlTHidesAndShowsTheSubtitlesAndTheFooterSaysSo)
{
    writeSubtitles(kOldFile);
    open(true);
    ASSERT_TRUE(textAppears());
    EXPECT_FALSE(footer().contains("Ctrl+T"));

    QTest::keyClick(&form, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return whiteOnPicture().count == 0; }, 3000));
    EXPECT_TRUE(footer().contains("Ctrl+T"));
    EXPECT_EQ(settings.values["vantorSubtitleOverlay"], "0");

    QTest::keyClick(&form, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(textAppears());
    EXPECT_FALSE(footer().contains("Ctrl+T"));
    EXPECT_EQ(settings.values["vantorSubtitleOverlay"], "1");
}

} // namespace
} // namespace vantor
