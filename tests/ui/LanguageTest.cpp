#include "Application.h"
#include "FakeDialogs.h"
#include "FakeSettingsStore.h"
#include "TFontOptionForm.h"
#include "TForm1.h"
#include "capture/HotKeyFooter.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace vantor {
namespace {

// The width a caption needs in its own font: its widest line, without the mnemonic's "&" and the blanks
// that pad its end.
int captionWidth(const QWidget& widget, QString text)
{
    text.remove(QLatin1Char('&'));
    const QFontMetrics metrics(widget.font());
    int width = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        QString trimmed = line;
        while (trimmed.endsWith(QLatin1Char(' ')))
            trimmed.chop(1);
        width = std::max(width, metrics.horizontalAdvance(trimmed));
    }
    return width;
}

// What each captioned control of a window needs and has, by object name (the font dialog's labels have
// none: their text names them).
struct Caption {
    int needs = 0;
    int room = 0;
    int right = 0; // right edge in the window
};
std::map<QString, Caption> captionsOf(QWidget& window)
{
    std::map<QString, Caption> captions;
    for (auto* widget : window.findChildren<QWidget*>()) {
        QString text;
        int room = widget->width();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text = button->text();
            // A push button's frame and margins take some 8 pixels; a check box's box and gap some 20.
            room -= button->inherits("QCheckBox") ? 20 : 8;
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
        }
        if (text.isEmpty())
            continue;
        const QString key = widget->objectName().isEmpty() ? QStringLiteral("%1@%2,%3")
                                                                 .arg(widget->metaObject()->className())
                                                                 .arg(widget->x())
                                                                 .arg(widget->y())
                                                           : widget->objectName();
        captions[key]
            = { captionWidth(*widget, text), room, widget->mapTo(&window, QPoint(widget->width(), 0)).x() };
    }
    return captions;
}

// Every English caption fits its control where the Chinese one does, and needs no more room than the
// Chinese one where that is already tight; labels that size themselves stay inside the window. No control
// grows or moves for a language.
void expectCaptionsFit(
    const std::map<QString, Caption>& chinese, const std::map<QString, Caption>& english, int windowWidth)
{
    ASSERT_EQ(chinese.size(), english.size());
    for (const auto& [name, en] : english) {
        const Caption& zh = chinese.at(name);
        EXPECT_LE(en.needs, std::max(en.room, zh.needs)) << name.toStdString();
        EXPECT_LE(en.right, std::max(windowWidth, zh.right)) << name.toStdString();
    }
}

TEST(LanguageLayout, EveryEnglishCaptionAndHelpLineFitsWhereTheChineseOneDoes)
{
    test::FakeDialogs dialogs;
    test::FakeSettingsStore settings;
    std::map<QString, Caption> windows[2];
    std::map<QString, Caption> fontDialogs[2];
    int titleRight[2] = {};
    int versionLeft = 0;
    int windowWidth = 0;
    int fontDialogWidth = 0;
    for (const int english : { 0, 1 }) {
        Application app({ .player = { "null" },
            .dialogs = &dialogs,
            .settings = &settings,
            .inWindowKeys = true,
            .language = english ? "en" : "zh" });
        TForm1& form = app.window();
        form.show();
        windows[english] = captionsOf(form);
        windowWidth = form.width();
        titleRight[english] = form.findChild<QLabel*>(QStringLiteral("Label7"))->geometry().right();
        versionLeft = form.findChild<QLabel*>(QStringLiteral("Label8"))->geometry().left();

        auto* memo = form.findChild<QTextEdit*>(QStringLiteral("Memo1"));
        ASSERT_NE(memo, nullptr);
        const QFontMetrics metrics(memo->font());
        const QStringList lines = TForm1::helpLines();
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), memo->viewport()->width() - 8) << line.toStdString();
        EXPECT_LE(lines.size() * 13, memo->viewport()->height()) << "every help line is shown";

        // The footer in its longest forms stays on the window's bottom line.
        const std::vector<HotKey> all(std::begin(kHotKeysInOrder), std::end(kHotKeysInOrder));
        for (const char* route : { "X11", "portal", "application" }) {
            for (const bool pending : { false, true }) {
                form.setText(Control::Label3, hotKeyFooter(route, all, pending));
                const QRect label = form.findChild<QLabel*>(QStringLiteral("Label3"))->geometry();
                EXPECT_LE(label.right(), form.width() - 1) << form.text(Control::Label3);
            }
        }

        TFontOptionForm fontForm(dialogs);
        fontForm.show();
        fontDialogs[english] = captionsOf(fontForm);
        // VANTOR_SCREENSHOTS names a folder for pictures of both windows in both languages, to look at.
        if (const QString shots = qEnvironmentVariable("VANTOR_SCREENSHOTS"); !shots.isEmpty()) {
            const QString language = english ? QStringLiteral("en") : QStringLiteral("zh");
            form.grab().save(shots + QStringLiteral("/main-") + language + QStringLiteral(".png"));
            fontForm.grab().save(shots + QStringLiteral("/font-") + language + QStringLiteral(".png"));
        }
        fontDialogWidth = fontForm.width();
        form.close();
    }
    expectCaptionsFit(windows[0], windows[1], windowWidth);
    expectCaptionsFit(fontDialogs[0], fontDialogs[1], fontDialogWidth);
    // The title and the version beside it do not run into each other.
    EXPECT_LE(titleRight[1], std::max(versionLeft - 1, titleRight[0]));
}

class LanguageTest : public ::testing::TestWithParam<const char*> {
protected:
    test::FakeDialogs dialogs;
    test::FakeSettingsStore settings;
};

TEST_P(LanguageTest, TheWindowSpeaksTheChosenLanguage)
{
    Application app({ .player = { "null" },
        .dialogs = &dialogs,
        .settings = &settings,
        .inWindowKeys = true,
        .language = GetParam() });
    const bool english = std::string(GetParam()) == "en";
    EXPECT_EQ(app.window().windowTitle().toStdString(),
        english ? "Vantor SRT Subtitles (free)" : "SRT外挂字幕制作(免费)");
    EXPECT_EQ(app.window().text(Control::Label3),
        english ? "Keys F7–F10 work in this window only (the desktop offers no global keys)"
                : "热键 F7–F10 仅在本窗口有效（桌面未提供全局热键）");
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageTest, ::testing::Values("zh", "en"));

// The language a user gets from the environment when no --lang is given.
struct EnvironmentCase {
    const char* language; // LANGUAGE
    const char* all; // LC_ALL
    const char* messages; // LC_MESSAGES
    const char* lang; // LANG
    const char* expected;
};

TEST(LanguageOfEnvironment, FollowsTheUsualOrderAndKeepsChineseForChineseAndC)
{
    const EnvironmentCase cases[] = {
        { "", "", "", "", "zh" }, { "", "", "", "C", "zh" }, { "", "", "", "C.UTF-8", "zh" },
        { "", "", "", "POSIX", "zh" }, { "", "", "", "zh_CN.UTF-8", "zh" },
        { "", "", "", "zh_TW.UTF-8", "zh" }, { "", "", "", "en_US.UTF-8", "en" },
        { "", "", "", "en_GB.UTF-8", "en" }, { "", "", "", "de_DE.UTF-8", "en" },
        { "", "", "zh_CN.UTF-8", "en_US.UTF-8", "zh" },
        { "", "en_US.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8", "en" },
        { "zh_CN:en", "", "", "en_US.UTF-8", "zh" }, { "de:en", "", "", "de_DE.UTF-8", "en" },
        { "en", "", "", "C", "zh" }, // LANGUAGE does not count under the C locale
    };
    const char* names[] = { "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG" };
    std::string saved[4];
    for (int i = 0; i < 4; ++i)
        saved[i] = std::getenv(names[i]) ? std::getenv(names[i]) : "";
    for (const EnvironmentCase& c : cases) {
        const char* values[] = { c.language, c.all, c.messages, c.lang };
        for (int i = 0; i < 4; ++i)
            setenv(names[i], values[i], 1);
        EXPECT_EQ(languageOfEnvironment(), c.expected)
            << c.language << " | " << c.all << " | " << c.messages << " | " << c.lang;
    }
    for (int i = 0; i < 4; ++i)
        setenv(names[i], saved[i].c_str(), 1);
}

} // namespace
} // namespace vantor
