// The font settings dialog on screen (offscreen): its controls, and the user's way through it.
#include "FakeDialogs.h"
#include "FakeSettingsStore.h"
#include "QtTextCodec.h"
#include "TFontOptionForm.h"
#include "model/CaptureSession.h"
#include "model/SubtitleDocuments.h"
#include "srt/StyleTags.h"
#include "style/FontDialogStack.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vantor::test {
namespace {

const std::string kRedBlock = "<font color=#FF0000>{\\fn黑体\\fs18\\pos(190,270)\\}";

// Runs `act` on the modal window named `name` as soon as it is the active modal window. A window that never
// comes is a failure; every modal window is then closed so that no wait hangs the test.
void whenModal(const QString& name, std::function<void(QWidget*)> act)
{
    auto* poll = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    poll->setInterval(2);
    QObject::connect(poll, &QTimer::timeout, [poll, name, act, clock] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == name && modal->isVisible()) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        } else if (clock->elapsed() > 10000) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "no modal window " << name.toStdString();
            while (QWidget* open = QApplication::activeModalWidget())
                open->close();
        }
    });
    poll->start();
}

template <typename T> T* child(QWidget* form, const char* name)
{
    T* found = form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(nullptr, found) << name;
    return found;
}

// The colour the panel shows on screen: one of its own pixels inside the frame, clear of the centred caption.
QColor shownColour(QWidget* panel)
{
    return panel->grab().toImage().pixelColor(3, 3);
}

class FontOptionFormTest : public ::testing::Test {
protected:
    FakeDialogs dialogs;
    FakeSettingsStore store;
    SubtitleDocuments documents;
    CaptureSession session;
    QtTextCodec codec;
    TFontOptionFormFactory factory { dialogs };
    FontDialogStack stack { factory, store, documents, session, codec };

    std::string gbk(const std::string& utf8) { return codec.encode(utf8, CodePage::Gbk); }
    void setFormatted(const std::string& first, const std::string& second)
    {
        documents.FormattedDocument.setWholeText(gbk("1\r\n00:00:01,000 --> 00:00:02,500\r\n" + first
            + "\r\n\r\n2\r\n00:00:03,000 --> 00:00:04,000\r\n" + second + "\r\n\r\n"));
    }
};

TEST_F(FontOptionFormTest, ControlsAreLaidOutAsDesigned)
{
    TFontOptionForm form(dialogs);
    EXPECT_EQ(QStringLiteral("FontOptionForm"), form.objectName());
    EXPECT_EQ(QStringLiteral("字体设置"), form.windowTitle());
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    struct Place {
        const char* name;
        const char* parent;
        QRect geometry;
    };
    const Place places[] = {
        { "CheckBoxDefault", "FontOptionForm", QRect(136, 16, 51, 17) },
        { "SaveButton", "FontOptionForm", QRect(145, 227, 75, 25) },
        { "Panel2", "FontOptionForm", QRect(40, 32, 297, 193) },
        { "PanelColor", "Panel2", QRect(128, 19, 123, 28) },
        { "PanelPos", "Panel2", QRect(128, 141, 123, 28) },
        { "Panel5", "PanelPos", QRect(0, 0, 123, 28) },
        { "Edit1", "Panel5", QRect(20, 3, 34, 21) },
        { "Edit2", "Panel5", QRect(84, 3, 34, 21) },
        { "PanelName", "Panel2", QRect(128, 59, 123, 28) },
        { "FontNameComboBox", "PanelName", QRect(0, 5, 123, 19) },
        { "PanelSize", "Panel2", QRect(128, 101, 123, 28) },
        { "FontSizeComboBox", "PanelSize", QRect(0, 2, 123, 19) },
    };
    for (const Place& place : places) {
        auto* widget = child<QWidget>(&form, place.name);
        ASSERT_NE(nullptr, widget);
        EXPECT_EQ(QString::fromLatin1(place.parent), widget->parentWidget()->objectName()) << place.name;
        EXPECT_EQ(place.geometry, widget->geometry()) << place.name;
    }

    EXPECT_EQ(QStringLiteral("缺省"), child<QCheckBox>(&form, "CheckBoxDefault")->text());
    EXPECT_TRUE(child<QCheckBox>(&form, "CheckBoxDefault")->isChecked());
    EXPECT_EQ(QStringLiteral("保存[&S]"), child<QPushButton>(&form, "SaveButton")->text());
    EXPECT_EQ(QStringLiteral("190"), child<QLineEdit>(&form, "Edit1")->text());
    EXPECT_EQ(QStringLiteral("270"), child<QLineEdit>(&form, "Edit2")->text());
    EXPECT_TRUE(child<QComboBox>(&form, "FontNameComboBox")->isHidden());
    EXPECT_TRUE(child<QComboBox>(&form, "FontSizeComboBox")->isHidden());
    EXPECT_EQ("", form.text(FontControl::PanelColor));

    QStringList labels;
    for (const QLabel* label : form.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            labels << label->text();
    for (const char* text : { "字体颜色：", "字体名称：", "字体大小：", "字幕位置：", "左:", "上:" })
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;

    // The tab stops, in order, starting from the check box.
    QStringList tabStops;
    QWidget* start = child<QWidget>(&form, "CheckBoxDefault");
    QWidget* next = start;
    do {
        if ((next->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !next->objectName().isEmpty())
            tabStops << next->objectName();
        next = next->nextInFocusChain();
    } while (next != start);
    EXPECT_EQ((QStringList { "CheckBoxDefault", "SaveButton", "PanelColor", "Edit1", "Edit2", "PanelName",
                  "PanelSize" }),
        tabStops);
}

TEST_F(FontOptionFormTest, UserSwitchesToACustomStylePicksItsValuesAndSaves)
{
    setFormatted("{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>Hello</b>",
        "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>World</b>");
    stack.StyleStartUp();
    store.writes.clear();

    // The main window's 1 ms timer goes on during the modal wait.
    QTimer mainTimer;
    int ticks = 0;
    mainTimer.setInterval(1);
    QObject::connect(&mainTimer, &QTimer::timeout, [&] { ++ticks; });
    mainTimer.start();

    std::vector<QColor> chooserOpenedOn;
    QString pickedFamily;
    bool driven = false;
    whenModal(QStringLiteral("FontOptionForm"), [&](QWidget* window) {
        auto* form = qobject_cast<TFontOptionForm*>(window);
        ASSERT_NE(nullptr, form);
        auto* checkBox = child<QCheckBox>(form, "CheckBoxDefault");
        auto* panel2 = child<QWidget>(form, "Panel2");
        auto* panelColor = child<QWidget>(form, "PanelColor");
        auto* names = child<QComboBox>(form, "FontNameComboBox");
        auto* sizes = child<QComboBox>(form, "FontSizeComboBox");
        auto* edit1 = child<QLineEdit>(form, "Edit1");
        auto* edit2 = child<QLineEdit>(form, "Edit2");

        // Shown: the default view with the stored defaults, the lists filled and nothing picked.
        EXPECT_TRUE(checkBox->isChecked());
        EXPECT_FALSE(panel2->isEnabled());
        EXPECT_EQ("#FFFFFF", form->text(FontControl::PanelColor));
        EXPECT_EQ(QColor(255, 255, 255), shownColour(panelColor));
        EXPECT_EQ("黑体", form->text(FontControl::PanelName));
        EXPECT_EQ(100, sizes->count());
        EXPECT_NE(-1, names->findText(QStringLiteral("Default")));
        EXPECT_EQ(-1, names->currentIndex());

        QTest::mouseClick(checkBox, Qt::LeftButton);
        EXPECT_FALSE(checkBox->isChecked());
        EXPECT_TRUE(panel2->isEnabled());
        EXPECT_EQ(QStringLiteral("190"), edit1->text());
        EXPECT_EQ(QColor(255, 255, 255), shownColour(panelColor));

        // First the user cancels the chooser, then picks red; each time it opens on its last answer.
        whenModal(QStringLiteral("ColorDialog1"), [&](QWidget* chooser) {
            chooserOpenedOn.push_back(qobject_cast<QColorDialog*>(chooser)->currentColor());
            qobject_cast<QDialog*>(chooser)->reject();
        });
        QTest::mouseClick(panelColor, Qt::LeftButton);
        EXPECT_EQ("#FFFFFF", form->text(FontControl::PanelColor));
        whenModal(QStringLiteral("ColorDialog1"), [&](QWidget* chooser) {
            auto* dialog = qobject_cast<QColorDialog*>(chooser);
            chooserOpenedOn.push_back(dialog->currentColor());
            dialog->setCurrentColor(QColor(255, 0, 0));
            dialog->accept();
        });
        QTest::mouseClick(panelColor, Qt::LeftButton);
        EXPECT_EQ("#FF0000", form->text(FontControl::PanelColor));
        EXPECT_EQ(QColor(255, 0, 0), shownColour(panelColor));

        QTest::mouseClick(child<QWidget>(form, "PanelName"), Qt::LeftButton);
        EXPECT_TRUE(names->isVisible());
        pickedFamily = names->itemText(names->count() - 1);
        names->setCurrentIndex(names->count() - 1);
        emit names->activated(names->count() - 1);
        EXPECT_FALSE(names->isVisible());
        EXPECT_EQ(pickedFamily.toStdString(), form->text(FontControl::PanelName));

        QTest::mouseClick(child<QWidget>(form, "PanelSize"), Qt::LeftButton);
        EXPECT_TRUE(sizes->isVisible());
        sizes->setCurrentIndex(23);
        emit sizes->activated(23);
        EXPECT_EQ("24", form->text(FontControl::PanelSize));

        // Letters and signs are refused; digits, "." and Backspace work.
        edit1->setFocus();
        edit1->selectAll();
        QTest::keyClicks(edit1, "a-");
        EXPECT_EQ(QStringLiteral("190"), edit1->text());
        QTest::keyClicks(edit1, "2.");
        QTest::keyClick(edit1, Qt::Key_Backspace);
        QTest::keyClicks(edit1, "00");
        EXPECT_EQ(QStringLiteral("200"), edit1->text());

        // Enter moves on to the top field, then to the save button, without saving.
        QTest::keyClick(edit1, Qt::Key_Return);
        EXPECT_EQ(edit2, form->focusWidget());
        QTest::keyClick(edit2, Qt::Key_Return);
        EXPECT_EQ(child<QWidget>(form, "SaveButton"), form->focusWidget());
        EXPECT_TRUE(form->isVisible());

        // A further Enter presses the focused save button.
        driven = true;
        QTest::keyClick(child<QPushButton>(form, "SaveButton"), Qt::Key_Return);
    });
    stack.BitBtn1Click();
    mainTimer.stop();

    ASSERT_TRUE(driven);
    EXPECT_EQ((std::vector<QColor> { QColor(0, 0, 0), QColor(0, 0, 0) }), chooserOpenedOn);
    EXPECT_FALSE(stack.current().view().isDefaultTicked());
    const std::string block
        = "<font color=#FF0000>{\\fn" + pickedFamily.toStdString() + "\\fs24\\pos(200,270)\\}";
    EXPECT_EQ(block, stack.current().StylePart1() + stack.current().StylePart2());
    EXPECT_EQ(gbk(block + "Hello"), documents.FormattedDocument.line(2));
    EXPECT_EQ(gbk(block + "World"), documents.FormattedDocument.line(6));
    EXPECT_EQ("00:00:01,000 --> 00:00:02,500", documents.FormattedDocument.line(1));
    EXPECT_TRUE(session.CustomStyle);
    const std::vector<FakeSettingsStore::Write> expected { { "srtDefault", "0" },
        { "srtFontColor", "#FF0000" }, { "srtFontName", pickedFamily.toStdString() }, { "srtFontSize", "24" },
        { "srtFontPosL", "200" }, { "srtFontPosU", "270" } };
    EXPECT_EQ(expected, store.writes);
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_GT(ticks, 0);
}

TEST_F(FontOptionFormTest, CloseBoxSetsThePiecesAndStoresNothing)
{
    setFormatted(kRedBlock + "Hello", kRedBlock + "World");
    stack.StyleStartUp();
    session.CustomStyle = true;
    const std::string before = documents.FormattedDocument.text();
    store.writes.clear();

    whenModal(QStringLiteral("FontOptionForm"), [&](QWidget* window) {
        auto* form = qobject_cast<TFontOptionForm*>(window);
        // The custom view read back from the document.
        EXPECT_FALSE(child<QCheckBox>(form, "CheckBoxDefault")->isChecked());
        EXPECT_EQ("#FF0000", form->text(FontControl::PanelColor));
        EXPECT_EQ(QColor(255, 0, 0), child<QWidget>(form, "PanelColor")->palette().color(QPalette::Window));
        EXPECT_EQ("18", form->text(FontControl::PanelSize));
        EXPECT_EQ(child<QWidget>(form, "PanelColor"), form->focusWidget());
        // Enter on the check box presses nothing.
        QTest::keyClick(child<QCheckBox>(form, "CheckBoxDefault"), Qt::Key_Return);
        EXPECT_TRUE(form->isVisible());
        // Escape does not close the dialog; the close box does.
        QTest::keyClick(form, Qt::Key_Escape);
        EXPECT_TRUE(form->isVisible());
        child<QLineEdit>(form, "Edit2")->setText(QStringLiteral("300"));
        form->close();
    });
    stack.BitBtn1Click();

    EXPECT_EQ("<font color=#FF0000>", stack.current().StylePart1());
    EXPECT_EQ("{\\fn黑体\\fs18\\pos(190,300)\\}", stack.current().StylePart2());
    EXPECT_EQ("0", stack.current().DefaultStyleFlag());
    EXPECT_TRUE(store.writes.empty());
    EXPECT_EQ(before, documents.FormattedDocument.text());
    EXPECT_TRUE(session.CustomStyle);
}

TEST_F(FontOptionFormTest, ErrorWhileShowingIsReportedAndTheDialogStillOpens)
{
    stack.StyleStartUp();
    store.values["srtFontColorD"] = "#GG0000";
    bool opened = false;
    whenModal(QStringLiteral("FontOptionForm"), [&](QWidget* window) {
        opened = true;
        window->close();
    });
    stack.BitBtn1Click();
    EXPECT_TRUE(opened);
    EXPECT_EQ(std::vector<std::string> { "'$GG' is not a valid integer value" }, dialogs.errors);
}

} // namespace
} // namespace vantor::test
