#include "WholeProgram.h"
#include "capture/HotKeyFooter.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <memory>

namespace vantor {
namespace {

// The real window with the real player, files and codec; the dialogs answer as the test says.
class MainWindowTest : public ::testing::Test, protected test::WholeProgram {
protected:
    MainController& controller = app.controller();

    void SetUp() override { app.show(); }
    void TearDown() override { form.close(); }

    template <typename T = QWidget> T* find(const char* name)
    {
        auto* widget = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QString path(const QString& name) const { return folder.filePath(name); }

    // Opens clip.mp4 beside a clip.srt holding `formatted` and answers Yes: the plain view is in edit mode.
    QPlainTextEdit* openForEditing(const QByteArray& formatted)
    {
        QFile file(path("clip.srt"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(formatted);
        file.close();
        QFile::copy(QString::fromLocal8Bit(qgetenv("VANTOR_TEST_MEDIA")) + "/clip.mp4", path("clip.mp4"));
        dialogs.fileToOpen = path("clip.mp4").toStdString();
        dialogs.answerYes = true;
        QTest::mouseClick(find<QPushButton>("OpenButton"), Qt::LeftButton);
        auto* plain = find<QPlainTextEdit>("UserRichEdit");
        EXPECT_FALSE(plain->isHidden());
        return plain;
    }

    static QByteArray readAll(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

struct Placement {
    const char* name;
    QRect geometry;
    const char* text;
};

TEST_F(MainWindowTest, EveryControlStandsAtItsPlaceWithItsText)
{
    const Placement placements[] = {
        { "Label4", { 419, 12, 75, 16 }, "当前位置：  " },
        { "Panel2", { 32, 107, 355, 310 }, nullptr },
        { "Edit1", { 419, 40, 136, 28 }, "" },
        { "Edit2", { 563, 40, 136, 28 }, "" },
        { "StartTimeButton", { 419, 76, 136, 38 }, "[F9]本句起始时间" },
        { "EndTimeButton", { 563, 76, 136, 38 }, "[F10]本句终止时间" },
        { "OpenButton", { 32, 63, 99, 38 }, "打开视频[&O]" },
        { "InputEdit", { 419, 135, 279, 28 }, "" },
        { "Panel3", { 419, 172, 282, 260 }, nullptr },
        { "Memo1", { 5, 3, 270, 241 }, nullptr },
        { "BitBtn1", { 144, 63, 99, 38 }, "字体设置[&F]" },
        { "Memo2", { 334, 392, 51, 73 }, nullptr },
        { "TempRichEdit", { 419, 186, 284, 230 }, nullptr },
        { "UserRichEdit", { 419, 186, 284, 230 }, nullptr },
        { "EditButton", { 419, 434, 136, 38 }, "[F7]修改" },
        { "ContinueButton", { 563, 434, 136, 38 }, "[F8]继续" },
    };
    for (const auto& p : placements) {
        QWidget* widget = find(p.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), p.geometry) << p.name;
        if (!p.text)
            continue;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(widget))
            text = label->text();
        else if (auto* button = qobject_cast<QPushButton*>(widget))
            text = button->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            text = edit->text();
        EXPECT_EQ(text.toStdString(), p.text) << p.name;
    }
    const QPoint labelPositions[][1] = { { { 502, 11 } }, { { 33, 432 } }, { { 17, 480 } }, { { 34, 6 } },
        { { 351, 92 } }, { { 106, 16 } }, { { 207, 15 } } };
    const char* labels[] = { "Label1", "Label2", "Label3", "Label5", "Label6", "Label7", "Label8" };
    for (std::size_t i = 0; i < std::size(labels); ++i)
        EXPECT_EQ(find(labels[i])->pos(), labelPositions[i][0]) << labels[i];
    EXPECT_EQ(find<QLabel>("Label5")->text().toStdString(), "Vantor  ");
    EXPECT_EQ(find<QLabel>("Label6")->text().toStdString(), "F9播放   ");
    EXPECT_EQ(find<QLabel>("Label7")->text().toStdString(), "快速字幕制作 ");
    EXPECT_EQ(find<QLabel>("Label8")->text().toStdString(), "V 7.0  ");
    EXPECT_EQ(find("WP")->parentWidget(), find("Panel2"));
    EXPECT_EQ(find("EditButton")->parentWidget(), &form);
}

// The footer about the hot keys stays inside the window in its longest forms, in the window's fonts.
TEST_F(MainWindowTest, EveryHotKeyFooterFitsTheWindowsBottomLine)
{
    EXPECT_EQ(find<QLabel>("Label3")->text().toStdString(), hotKeyFooter("application", {}, false))
        << "the in-window route is in force offscreen";
    const std::vector<HotKey> all(std::begin(kHotKeysInOrder), std::end(kHotKeysInOrder));
    for (const char* route : { "X11", "portal", "application" }) {
        for (const bool pending : { false, true }) {
            const std::string footer = hotKeyFooter(route, all, pending);
            form.setText(Control::Label3, footer);
            const QRect label = find("Label3")->geometry();
            EXPECT_LE(label.right(), find("Panel1")->width() - 1) << footer;
            EXPECT_LE(label.bottom(), find("Panel1")->height() - 1) << footer;
        }
    }
}

TEST_F(MainWindowTest, WindowHasItsTitleSizeAndNoMaximiseButton)
{
    EXPECT_EQ(form.windowTitle().toStdString(), "SRT外挂字幕制作(免费)");
    EXPECT_EQ(form.size(), QSize(728, 504));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(find<QPushButton>("StartTimeButton")->toolTip().toStdString(), "[F9]键 起始时间");
    EXPECT_EQ(find<QLineEdit>("InputEdit")->toolTip().toStdString(), "回车结束本句并自动保存");
    EXPECT_EQ(find("UserRichEdit")->toolTip().toStdString(), "修改后自动保存");
    EXPECT_TRUE(find("UserRichEdit")->isHidden());
    EXPECT_TRUE(find("Memo2")->isHidden());
    EXPECT_TRUE(find("TempRichEdit")->isHidden());
    EXPECT_EQ(form.timer1().interval(), 1);
    EXPECT_TRUE(form.timer1().isActive());
}

TEST_F(MainWindowTest, HelpTextIsShownLineForLineAndCannotBeFocused)
{
    auto* memo = find<QTextEdit>("Memo1");
    ASSERT_NE(memo, nullptr);
    const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 18);
    EXPECT_EQ(lines[0].toStdString(), "                 说 明");
    EXPECT_EQ(lines[11].toStdString(), "   带字体格式SRT文件。 ");
    EXPECT_EQ(lines[16].toStdString(), "   字体需要去掉pos()\\即可，缺省字体不");
    EXPECT_EQ(lines[17].toStdString(), "   需删除pos()\\。");
    EXPECT_FALSE(memo->isEnabled());
}

// The memo cannot scroll, so each of its 18 lines must be drawn inside it: the last line's box lies within
// the memo's viewport, and the memo's own pixels there hold its glyphs.
TEST_F(MainWindowTest, EveryHelpLineIsDrawnInsideTheMemo)
{
    auto* memo = find<QTextEdit>("Memo1");
    ASSERT_NE(memo, nullptr);
    QApplication::processEvents();
    const QImage shown = memo->grab().toImage();
    const QTextBlock last = memo->document()->lastBlock();
    ASSERT_EQ(last.blockNumber(), 17);
    const QRect box = memo->document()->documentLayout()->blockBoundingRect(last).toAlignedRect().translated(
        memo->viewport()->pos());
    EXPECT_TRUE(memo->rect().contains(box)) << "line 18 at y " << box.top() << " to " << box.bottom()
                                            << " in a memo " << memo->height() << " px high";
    int ink = 0;
    for (int y = std::max(0, box.top()); y <= std::min(shown.height() - 1, box.bottom()); ++y) {
        for (int x = std::max(0, box.left()); x <= std::min(shown.width() - 1, box.right()); ++x)
            ink += qGray(shown.pixel(x, y)) < 128 ? 1 : 0;
    }
    EXPECT_GT(ink, 20) << "dark pixels where line 18 stands";
}

TEST_F(MainWindowTest, ResizingKeepsThePictureCoveringItsPanel)
{
    form.resize(900, 600);
    QApplication::processEvents();
    EXPECT_EQ(find("WP")->geometry(), QRect(0, 0, 355, 310));
    EXPECT_EQ(find("StartTimeButton")->geometry(), QRect(419, 76, 136, 38));
}

// Typing in the plain view writes both files at each keystroke, and the documents stay in line.
const QByteArray kDefaultBlock = QByteArray("{\\fn\xBA\xDA\xCC\xE5\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>");

// A window that opened clip.mp4 beside a one-entry clip.srt and answered Yes: the plain view is in edit mode.
class EditViewTest : public MainWindowTest {
protected:
    QPlainTextEdit* plain = nullptr;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        plain
            = openForEditing("1\r\n00:00:01,000 --> 00:00:02,000\r\n" + kDefaultBlock + "Hello</b>\r\n\r\n");
    }
};

// Edit mode starts with the caret on the empty last line, where nothing may be typed; the keyboard must
// still lead the caret to the entries (a read-only Qt view ignores the arrow keys unless told otherwise).
TEST_F(EditViewTest, ArrowKeysLeaveTheReadOnlyEmptyLine)
{
    plain->setFocus();
    QTest::keyClick(plain, Qt::Key_End, Qt::ControlModifier);
    EXPECT_TRUE(plain->isReadOnly());
    QTest::keyClicks(plain, "x");
    EXPECT_EQ(plain->toPlainText().toStdString(), "1\n00:00:01,000 --> 00:00:02,000\nHello\n");

    QTest::keyClick(plain, Qt::Key_Up);
    QTest::keyClick(plain, Qt::Key_End);
    EXPECT_EQ(plain->textCursor().blockNumber(), 2);
    EXPECT_FALSE(plain->isReadOnly());
    QTest::keyClicks(plain, "!");
    EXPECT_EQ(readAll(path("NoFormatclip.srt")), "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello!\r\n\r\n");
}

TEST_F(EditViewTest, TypingInThePlainViewSavesBothFilesAtEachKeystroke)
{
    const QByteArray& block = kDefaultBlock;
    EXPECT_EQ(plain->toPlainText().toStdString(), "1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    plain->setFocus();
    QTextCursor cursor(plain->document()->findBlockByNumber(2));
    cursor.movePosition(QTextCursor::EndOfBlock);
    plain->setTextCursor(cursor);

    QTest::keyClicks(plain, "!?");
    EXPECT_EQ(readAll(path("NoFormatclip.srt")), "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello!?\r\n\r\n");
    EXPECT_EQ(
        readAll(path("clip.srt")), "1\r\n00:00:01,000 --> 00:00:02,000\r\n" + block + "Hello!?</b>\r\n\r\n");

    // Delete at the end of a line and Enter change nothing.
    QTest::keyClick(plain, Qt::Key_Delete);
    QTest::keyClick(plain, Qt::Key_Return);
    EXPECT_EQ(plain->document()->blockCount(), 4);

    // Pasted line breaks become blanks.
    QApplication::clipboard()->setText(QStringLiteral("a\nb"));
    QTest::keyClick(plain, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(plain->document()->blockCount(), 4);
    EXPECT_EQ(readAll(path("NoFormatclip.srt")), "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello!?a b\r\n\r\n");

    // A selection across lines is not deleted.
    cursor.setPosition(0);
    cursor.setPosition(plain->document()->findBlockByNumber(2).position() + 2, QTextCursor::KeepAnchor);
    plain->setTextCursor(cursor);
    QTest::keyClick(plain, Qt::Key_Backspace);
    EXPECT_EQ(plain->document()->blockCount(), 4);
    EXPECT_EQ(controller.documents().PlainDocument.lineCount(),
        controller.documents().FormattedDocument.lineCount());
    EXPECT_EQ(readAll(path("clip.srt")),
        "1\r\n00:00:01,000 --> 00:00:02,000\r\n" + block + "Hello!?a b</b>\r\n\r\n");
}

// The video given at start opens once the player has started, and its subtitle file is loaded for editing
// as when it is opened through the dialog.
TEST_F(MainWindowTest, VideoGivenAtStartOpensWithItsSubtitleFile)
{
    QFile file(path("clip.srt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1\r\n00:00:01,000 --> 00:00:02,000\r\n" + kDefaultBlock + "Hello</b>\r\n\r\n");
    file.close();
    QFile::copy(QString::fromLocal8Bit(qgetenv("VANTOR_TEST_MEDIA")) + "/clip.mp4", path("clip.mp4"));
    dialogs.answerYes = true;
    app.openVideoAtStart(path("clip.mp4").toStdString());
    auto* plain = find<QPlainTextEdit>("UserRichEdit");
    QElapsedTimer clock;
    clock.start();
    while (plain->isHidden() && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(plain->isHidden());
    EXPECT_EQ(plain->toPlainText().toStdString(), "1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    EXPECT_EQ(dialogs.errors, std::vector<std::string> {});
}

// A file longer than the plain view holds at once: the keys lead the caret to its first and its last entry,
// and what is typed there reaches both files at that entry, every other byte unchanged.
TEST_F(MainWindowTest, LongFileIsEditedAtItsFirstAndLastEntryThroughTheKeyboard)
{
    constexpr int kEntries = 6000; // 24,000 lines: more than the view holds whole
    const auto timeLine = [](int i) {
        return QStringLiteral("00:%1:%2,000 --> 00:%1:%2,500")
            .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(i % 60, 2, 10, QLatin1Char('0'))
            .toLatin1();
    };
    const auto file = [&](const QByteArray& firstText, const QByteArray& lastText, bool formatted) {
        QByteArray bytes;
        for (int i = 1; i <= kEntries; ++i) {
            const QByteArray text = i == 1 ? firstText
                : i == kEntries            ? lastText
                                           : "Text " + QByteArray::number(i);
            bytes += QByteArray::number(i) + "\r\n" + timeLine(i) + "\r\n"
                + (formatted ? kDefaultBlock + text + "</b>" : text) + "\r\n\r\n";
        }
        return bytes;
    };
    QPlainTextEdit* plain = openForEditing(file("Text 1", "Text 6000", true));
    ASSERT_LT(plain->document()->blockCount(), 4 * kEntries);
    plain->setFocus();
    const auto caretLine = [&] { return form.plainSelectionStartLine(); };
    EXPECT_EQ(caretLine(), 4 * kEntries - 1);

    for (int i = 0; i < 50 && caretLine() != 0; ++i) {
        QTest::keyClick(plain, Qt::Key_Home, Qt::ControlModifier);
        QApplication::processEvents();
    }
    ASSERT_EQ(caretLine(), 0);
    QTest::keyClick(plain, Qt::Key_Down);
    QTest::keyClick(plain, Qt::Key_Down);
    QTest::keyClick(plain, Qt::Key_End);
    QTest::keyClicks(plain, "!");

    for (int i = 0; i < 50 && caretLine() != 4 * kEntries - 1; ++i) {
        QTest::keyClick(plain, Qt::Key_End, Qt::ControlModifier);
        QApplication::processEvents();
    }
    ASSERT_EQ(caretLine(), 4 * kEntries - 1);
    QTest::keyClick(plain, Qt::Key_Up);
    QTest::keyClick(plain, Qt::Key_End);
    QTest::keyClicks(plain, "?");

    EXPECT_EQ(readAll(path("clip.srt")), file("Text 1!", "Text 6000?", true));
    EXPECT_EQ(readAll(path("NoFormatclip.srt")), file("Text 1!", "Text 6000?", false));
    EXPECT_EQ(dialogs.errors, std::vector<std::string> {});
}

// Every printable ASCII character, and a Chinese run typed and pasted, reach both files wherever the caret
// stands in a text line: at its end, in its middle, and in lines of one and of two bytes, where the last
// character must not be erased. (Qt's key number for "." is the number the key rules give Delete.)
struct TypingCase {
    const char* name;
    const char* lineText;
    int column;
};

void PrintTo(const TypingCase& value, std::ostream* out)
{
    *out << value.name;
}

class PlainViewTypingTest : public MainWindowTest, public ::testing::WithParamInterface<TypingCase> {
protected:
    static constexpr int kAscii = 0x7F - 0x20;
    // One entry for each printable ASCII character, then one for the typed and one for the pasted run.
    static constexpr int kEntries = kAscii + 2;

    QPlainTextEdit* plain = nullptr;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        QByteArray file;
        for (int i = 0; i < kEntries; ++i)
            file += QByteArray::number(i + 1) + "\r\n00:00:01,000 --> 00:00:02,000\r\n" + kDefaultBlock
                + GetParam().lineText + "</b>\r\n\r\n";
        plain = openForEditing(file);
        plain->setFocus();
    }

    // The caret at the case's column of entry `entry`'s text line, as a click puts it there.
    void caretInto(int entry)
    {
        QTextCursor cursor(plain->document()->findBlockByNumber(entry * 4 + 2));
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, GetParam().column);
        plain->setTextCursor(cursor);
    }

    QString expectedLine(const QString& typed) const
    {
        QString line = QString::fromLatin1(GetParam().lineText);
        return line.insert(GetParam().column, typed);
    }
};

TEST_P(PlainViewTypingTest, EveryCharacterReachesBothFiles)
{
    const QString chinese = QStringLiteral("中文字幕");
    for (int i = 0; i < kAscii; ++i) {
        caretInto(i);
        QTest::keyClick(plain, static_cast<char>(0x20 + i));
    }
    // Typed: X11 reports such a key by its character, and the text with it.
    caretInto(kAscii);
    for (const QChar c : chinese)
        QTest::sendKeyEvent(
            QTest::Click, plain, static_cast<Qt::Key>(c.unicode()), QString(c), Qt::NoModifier);
    caretInto(kAscii + 1);
    QApplication::clipboard()->setText(chinese);
    QTest::keyClick(plain, Qt::Key_V, Qt::ControlModifier);

    QStringList plainLines;
    QStringList formattedLines;
    QStringDecoder gbk("GBK");
    for (int i = 0; i < kEntries; ++i) {
        const QString typed = i < kAscii ? QString(QChar(0x20 + i)) : chinese;
        const QString number = QString::number(i + 1);
        plainLines << number << QStringLiteral("00:00:01,000 --> 00:00:02,000") << expectedLine(typed)
                   << QString();
        formattedLines << number << QStringLiteral("00:00:01,000 --> 00:00:02,000")
                       << gbk(kDefaultBlock) + expectedLine(typed) + QStringLiteral("</b>") << QString();
    }
    const auto decoded = [&](const QString& file) {
        QStringDecoder decoder("GBK");
        return QString(decoder(readAll(path(file)))).split(QStringLiteral("\r\n"));
    };
    plainLines << QString();
    formattedLines << QString();
    const QStringList plainFile = decoded(QStringLiteral("NoFormatclip.srt"));
    const QStringList formattedFile = decoded(QStringLiteral("clip.srt"));
    ASSERT_EQ(plainFile.size(), plainLines.size());
    ASSERT_EQ(formattedFile.size(), formattedLines.size());
    for (int line = 0; line < plainLines.size(); ++line) {
        EXPECT_EQ(plainFile[line].toStdString(), plainLines[line].toStdString()) << "plain line " << line;
        EXPECT_EQ(formattedFile[line].toStdString(), formattedLines[line].toStdString())
            << "formatted line " << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Places, PlainViewTypingTest,
    ::testing::Values(TypingCase { "EndOfALine", "Hello", 5 }, TypingCase { "MiddleOfALine", "Hello", 2 },
        TypingCase { "LineOfOneByte", "a", 1 }, TypingCase { "LineOfTwoBytes", "ab", 1 }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vantor
