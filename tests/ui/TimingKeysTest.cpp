#include "QtDialogs.h"
#include "WholeProgram.h"
#include "capture/TimingAids.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

namespace vantor {
namespace {

const QByteArray kBlock = QByteArray("{\\fn\xBA\xDA\xCC\xE5\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>");

QByteArray entries(const QByteArray& first, const QByteArray& secondTime, const QByteArray& second,
    const QByteArray& block = QByteArray())
{
    const QByteArray end = block.isEmpty() ? QByteArray() : QByteArray("</b>");
    return "1\r\n00:00:01,000 --> 00:00:02,000\r\n" + block + first + end + "\r\n\r\n2\r\n" + secondTime
        + "\r\n" + block + second + end + "\r\n\r\n";
}

class TimingKeysTest : public ::testing::TestWithParam<bool>, protected test::WholeProgram {
protected:
    MainController& controller = app.controller();

    void SetUp() override { app.show(); }
    void TearDown() override
    {
        if (form.keyHelp())
            form.keyHelp()->close();
        form.close();
    }

    template <typename T = QWidget> T* find(const char* name)
    {
        auto* widget = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QString path(const QString& name) const { return folder.filePath(name); }

    static QByteArray readAll(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    void openClip(const QByteArray* formatted)
    {
        if (formatted) {
            QFile file(path("clip.srt"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*formatted);
        }
        QFile::copy(QString::fromLocal8Bit(qgetenv("VANTOR_TEST_MEDIA")) + "/clip.mp4", path("clip.mp4"));
        dialogs.fileToOpen = path("clip.mp4").toStdString();
        dialogs.answerYes = true;
        QTest::mouseClick(find<QPushButton>("OpenButton"), Qt::LeftButton);
    }

    void caretAt(QPlainTextEdit* plain, int line, int column)
    {
        QTextCursor cursor(plain->document()->findBlockByNumber(line));
        cursor.setPosition(cursor.block().position() + column);
        plain->setTextCursor(cursor);
    }

    std::string footer() { return find<QLabel>("Label3")->text().toStdString(); }

    // With the window active the window's shortcuts take the keys before a field sees them; otherwise
    // (a test's key sent to an inactive window) the fields' key filter does.
    void activate()
    {
        if (!GetParam())
            return;
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
};

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

const KeyCase kTimingKeys[] = {
    { "Ctrl+Down", Qt::Key_Down, Qt::ControlModifier },
    { "Ctrl+Up", Qt::Key_Up, Qt::ControlModifier },
    { "Ctrl+0", Qt::Key_0, Qt::ControlModifier },
    { "Alt+Left", Qt::Key_Left, Qt::AltModifier },
    { "Alt+Right", Qt::Key_Right, Qt::AltModifier },
    { "Alt+Shift+Left", Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier },
    { "Alt+Shift+Right", Qt::Key_Right, Qt::AltModifier | Qt::ShiftModifier },
    { "Ctrl+P", Qt::Key_P, Qt::ControlModifier },
    { "Alt+T", Qt::Key_T, Qt::AltModifier },
    { "F1", Qt::Key_F1, Qt::NoModifier },
};

// Every new key in the input field and in the plain view: it does its part and neither field takes it as
// text; in the plain view no file changes either.
TEST_P(TimingKeysTest, NewKeysNeverTypeIntoTheInputFieldOrThePlainView)
{
    activate();
    auto* input = find<QLineEdit>("InputEdit");
    input->setFocus();
    QTest::keyClicks(input, "abc");
    ASSERT_EQ(input->text(), QStringLiteral("abc"));
    for (const KeyCase& k : kTimingKeys) {
        QTest::keyClick(input, k.key, k.modifiers);
        EXPECT_EQ(input->text(), QStringLiteral("abc")) << k.name;
        EXPECT_EQ(input->cursorPosition(), 3) << k.name;
        if (form.keyHelp())
            form.keyHelp()->close();
    }

    const QByteArray formatted = entries("Hello", "00:00:03,000 --> 00:00:04,000", "World", kBlock);
    openClip(&formatted);
    auto* plain = find<QPlainTextEdit>("UserRichEdit");
    ASSERT_FALSE(plain->isHidden());
    plain->setFocus();
    caretAt(plain, 2, 3);
    const QString text = plain->toPlainText();
    const QByteArray plainFile = readAll(path("NoFormatclip.srt"));
    const QByteArray formattedFile = readAll(path("clip.srt"));
    const KeyCase historyKeys[] = { { "Ctrl+Z", Qt::Key_Z, Qt::ControlModifier },
        { "Ctrl+Shift+Z", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier },
        { "Ctrl+Y", Qt::Key_Y, Qt::ControlModifier } };
    std::vector<KeyCase> keys(std::begin(kTimingKeys), std::end(kTimingKeys));
    keys.insert(keys.end(), std::begin(historyKeys), std::end(historyKeys));
    for (const KeyCase& k : keys) {
        QTest::keyClick(plain, k.key, k.modifiers);
        EXPECT_EQ(plain->toPlainText(), text) << k.name;
        EXPECT_EQ(plain->textCursor().position(), plain->document()->findBlockByNumber(2).position() + 3)
            << k.name;
        if (form.keyHelp())
            form.keyHelp()->close();
    }
    EXPECT_EQ(readAll(path("NoFormatclip.srt")), plainFile);
    EXPECT_EQ(readAll(path("clip.srt")), formattedFile);
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(dialogs.offsetDialogs.size(), 2u) << "Alt+T opened the timing dialog once from each field";
}

TEST_P(TimingKeysTest, EachKeyActsOnceFromTheInputField)
{
    activate();
    auto* input = find<QLineEdit>("InputEdit");
    input->setFocus();
    const std::string plainFooter = footer();
    QTest::keyClick(input, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(app.player().speed(), 0.9);
    EXPECT_EQ(footer(), plainFooter + "；速度 0.9×");
    QTest::keyClick(input, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(input, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(app.player().speed(), 1.1);
    QTest::keyClick(input, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(app.player().speed(), 1.0);
    EXPECT_EQ(footer(), plainFooter);

    dialogs.reactionOffset = 150;
    QTest::keyClick(input, Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(controller.reactionOffset(), 150);
    EXPECT_EQ(settings.values[std::string(kReactionOffsetSetting)], "150");
    EXPECT_EQ(footer(), plainFooter + "；反应补偿 150 ms");

    QTest::keyClick(input, Qt::Key_F1);
    ASSERT_NE(form.keyHelp(), nullptr);
    EXPECT_TRUE(form.keyHelp()->isVisible());
    form.keyHelp()->close();

    // Elsewhere in the window the keys are the window's shortcuts (the window must be the active one).
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto* button = find<QPushButton>("BitBtn1");
    button->setFocus();

    QTest::keyClick(button, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(app.player().speed(), 0.9);
}

TEST_P(TimingKeysTest, HelpWindowListsEveryKeyOfTheProgram)
{
    QTest::keyClick(find<QLineEdit>("InputEdit"), Qt::Key_F1);
    ASSERT_NE(form.keyHelp(), nullptr);
    auto* text = form.keyHelp()->findChild<QPlainTextEdit*>(QStringLiteral("KeyHelpText"));
    ASSERT_NE(text, nullptr);
    const QString help = text->toPlainText();
    const char* keys[] = { "F9", "F10", "Enter", "F7", "F8", "Alt+O", "Alt+F", "Alt+S", "Ctrl+T", "Ctrl+Up",
        "Ctrl+Down", "Ctrl+0", "Alt+Left", "Alt+Right", "Alt+Shift+Left", "Alt+Shift+Right", "Ctrl+P",
        "Alt+T", "Ctrl+Z", "Ctrl+Shift+Z", "Ctrl+Y", "F1" };
    for (const char* key : keys) {
        const QRegularExpression line(
            QStringLiteral("(^|\\n|, )") + QRegularExpression::escape(key) + "[ ,]");
        EXPECT_TRUE(help.contains(line)) << key << "\n" << help.toStdString();
    }
    // The help memo of the window keeps its text.
    EXPECT_EQ(form.findChild<QWidget*>(QStringLiteral("Memo1"))->property("plainText").toString(),
        TForm1::helpLines().join(QLatin1Char('\n')));
}

// Edits on three lines (a text line, another entry's text line, a time line), three undos and two redos:
// both files hold the first two edits and not the third, line for line in step.
TEST_P(TimingKeysTest, TypingThreeUndosAndTwoRedosLeaveBothFilesAligned)
{
    activate();
    const QByteArray formatted = entries("Hello", "00:00:03,000 --> 00:00:04,000", "World", kBlock);
    openClip(&formatted);
    auto* plain = find<QPlainTextEdit>("UserRichEdit");
    ASSERT_FALSE(plain->isHidden());
    plain->setFocus();

    caretAt(plain, 2, 5);
    QTest::keyClicks(plain, "!!");
    caretAt(plain, 6, 5);
    QTest::keyClicks(plain, "?");
    caretAt(plain, 5, 7);
    QTest::keyClick(plain, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClicks(plain, "7");
    const QByteArray typedTime = "00:00:07,000 --> 00:00:04,000";
    ASSERT_EQ(readAll(path("NoFormatclip.srt")), entries("Hello!!", typedTime, "World?"));
    ASSERT_EQ(readAll(path("clip.srt")), entries("Hello!!", typedTime, "World?", kBlock));

    for (int i = 0; i < 3; ++i)
        QTest::keyClick(plain, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(readAll(path("NoFormatclip.srt")), entries("Hello", "00:00:03,000 --> 00:00:04,000", "World"));
    EXPECT_EQ(readAll(path("clip.srt")), formatted);

    QTest::keyClick(plain, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(plain, Qt::Key_Y, Qt::ControlModifier);
    const QByteArray expectedPlain = entries("Hello!!", "00:00:03,000 --> 00:00:04,000", "World?");
    EXPECT_EQ(readAll(path("NoFormatclip.srt")), expectedPlain);
    EXPECT_EQ(
        readAll(path("clip.srt")), entries("Hello!!", "00:00:03,000 --> 00:00:04,000", "World?", kBlock));
    EXPECT_EQ(plain->toPlainText().toUtf8() + "\n", QByteArray(expectedPlain).replace("\r\n", "\n"));
    EXPECT_EQ(plain->document()->blockCount(), 8);
    EXPECT_TRUE(dialogs.errors.empty());
}

// In the plain view every key-down and key-up takes the caret's line again, and on a time line that seeks
// to the line's start: the modifiers of a seek key must not undo the seek when they are released.
TEST_P(TimingKeysTest, SeekInThePlainViewOnATimeLineStaysAfterTheModifiersAreReleased)
{
    activate();
    const QByteArray formatted = entries("Hello", "00:00:03,000 --> 00:00:04,000", "World", kBlock);
    openClip(&formatted);
    auto* plain = find<QPlainTextEdit>("UserRichEdit");
    plain->setFocus();
    caretAt(plain, 5, 2);
    QTest::keyClick(plain, Qt::Key_Left);
    EXPECT_EQ(app.player().currentPosition(), 3.0) << "the time line's start";
    QTest::keyClick(plain, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(app.player().currentPosition(), 4.0);
    QTest::keyClick(plain, Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(app.player().currentPosition(), 0.0) << "never before the start";
    // Alt comes up before the arrow.
    QTest::keyPress(plain, Qt::Key_Right, Qt::AltModifier);
    QKeyEvent altUp(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QApplication::sendEvent(plain, &altUp);
    QKeyEvent rightUp(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(plain, &rightUp);
    EXPECT_EQ(app.player().currentPosition(), 1.0);
    // The next other key takes the caret's line again, as always.
    QTest::keyClick(plain, Qt::Key_Right);
    EXPECT_EQ(app.player().currentPosition(), 3.0);
}

INSTANTIATE_TEST_SUITE_P(Window, TimingKeysTest, ::testing::Values(false, true),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "active" : "inactive"; });

// The timing keys were free: a bare line edit and plain-text editor (what InputEdit and the plain view are
// built on) claim none of them as a shortcut of their own, and none moves their caret or changes their text.
TEST(TimingKeyChoice, TextFieldsHaveNoUseForTheTimingKeys)
{
    QLineEdit line(QStringLiteral("abc def"));
    QPlainTextEdit plain(QStringLiteral("abc\ndef\nghi"));
    for (const KeyCase& k : kTimingKeys) {
        line.setCursorPosition(3);
        QTextCursor cursor(plain.document()->findBlockByNumber(1));
        cursor.setPosition(cursor.position() + 1);
        plain.setTextCursor(cursor);
        for (QWidget* field : std::initializer_list<QWidget*> { &line, &plain }) {
            QKeyEvent override(QEvent::ShortcutOverride, k.key, k.modifiers);
            override.ignore();
            QApplication::sendEvent(field, &override);
            EXPECT_FALSE(override.isAccepted())
                << k.name << " claimed by " << field->metaObject()->className();
            QKeyEvent press(QEvent::KeyPress, k.key, k.modifiers);
            QApplication::sendEvent(field, &press);
        }
        EXPECT_EQ(line.text(), QStringLiteral("abc def")) << k.name;
        EXPECT_EQ(line.cursorPosition(), 3) << k.name;
        EXPECT_EQ(plain.toPlainText(), QStringLiteral("abc\ndef\nghi")) << k.name;
        EXPECT_EQ(plain.textCursor().position(), cursor.position()) << k.name;
    }
}

// The timing dialog shows the offset in force, keeps the spin box within 0–1000 ms and answers the value on
// OK, nothing on Cancel.
TEST(TimingDialog, AnswersTheChosenOffsetOrNothing)
{
    QtDialogs dialogs;
    const auto answer = [&](int shown, int typed, bool ok) {
        int seen = -1;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->objectName(), QStringLiteral("TimingDialog"));
            auto* spin = dialog->findChild<QSpinBox*>(QStringLiteral("ReactionOffsetSpin"));
            ASSERT_NE(spin, nullptr);
            seen = spin->value();
            spin->setValue(typed);
            ok ? dialog->accept() : dialog->reject();
        });
        const std::optional<int> chosen = dialogs.askReactionOffset(shown);
        EXPECT_EQ(seen, shown);
        return chosen;
    };
    EXPECT_EQ(answer(150, 320, true), 320);
    EXPECT_EQ(answer(0, 5000, true), 1000) << "the spin box stops at 1000 ms";
    EXPECT_EQ(answer(40, 90, false), std::nullopt);
}

// The offset written into the shared settings file: every other value, section and comment stays as it was,
// byte for byte, and a later change rewrites only its own line.
TEST(TimingSettingsFile, OffsetLeavesEveryOtherValueByteForByte)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QByteArray others
        = "; kept by hand\n[General]\neditorTheme=dark\nlastFolder=\"/home/u/My Videos\"\n\n"
          "[SomeTool]\ngeometry=@ByteArray(\\x1\\xd9\\xd0\\xcb)\nvantorReactionOffsetMs=7\n";
    const QString file = folder.filePath("software.conf");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(others);
    }
    test::FakeDialogs dialogs;
    Application app({ .player = { "null" },
        .dialogs = &dialogs,
        .settingsFolder = folder.path().toStdString(),
        .inWindowKeys = true });
    app.show();
    const auto read = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray started = read();
    ASSERT_TRUE(started.startsWith("; kept by hand\n[General]\neditorTheme=dark\n"));
    EXPECT_EQ(app.controller().reactionOffset(), 0) << "another section's value of that name is not ours";

    dialogs.reactionOffset = 250;
    app.controller().timingDialog();
    QByteArray expected = started;
    const QByteArray general = "lastFolder=\"/home/u/My Videos\"\n";
    const qsizetype at = expected.indexOf(general);
    ASSERT_GE(at, 0);
    // Our value goes after the last value of [General], as the store appends new names there.
    const qsizetype sectionEnd = expected.indexOf("\n\n[SomeTool]") + 1;
    expected.insert(sectionEnd, "vantorReactionOffsetMs=250\n");
    EXPECT_EQ(read(), expected);

    dialogs.reactionOffset = 40;
    app.controller().timingDialog();
    expected.replace("vantorReactionOffsetMs=250\n", "vantorReactionOffsetMs=40\n");
    EXPECT_EQ(read(), expected);
    app.window().close();
}

} // namespace
} // namespace vantor
