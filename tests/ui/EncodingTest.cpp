#include "Application.h"
#include "FakeDialogs.h"
#include "FakeSettingsStore.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace vantor {
namespace {

struct EncodingCase {
    const char* name;
    const char* language;
    const char* option; // ApplicationOptions::newFileEncoding
    const char* setting; // the settings value vantorNewFileEncoding
    bool utf8; // the file made is UTF-8; else GBK refuses the text
};

void PrintTo(const EncodingCase& value, std::ostream* out)
{
    *out << value.name;
}

class EncodingTest : public ::testing::TestWithParam<EncodingCase> {
protected:
    test::FakeDialogs dialogs;
    test::FakeSettingsStore settings;
    QTemporaryDir folder;

    // Makes one entry of `text` in a new file beside a copy of the test clip; returns the file's bytes.
    QByteArray makeEntry(Application& app, const QString& text)
    {
        const QString video = folder.filePath(QStringLiteral("clip.mp4"));
        QFile::copy(QString::fromLocal8Bit(qgetenv("VANTOR_TEST_MEDIA")) + "/clip.mp4", video);
        dialogs.fileToOpen = video.toStdString();
        TForm1& form = app.window();
        QTest::mouseClick(form.findChild<QPushButton*>("OpenButton"), Qt::LeftButton);
        QTest::mouseClick(form.findChild<QPushButton*>("StartTimeButton"), Qt::LeftButton);
        QTest::qWait(200);
        QTest::mouseClick(form.findChild<QPushButton*>("EndTimeButton"), Qt::LeftButton);
        auto* input = form.findChild<QLineEdit*>("InputEdit");
        input->setText(text);
        QTest::keyClick(input, Qt::Key_Return);
        QFile file(folder.filePath(QStringLiteral("clip.srt")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// Text GBK cannot hold: the English interface, or a choice of UTF-8, writes it; the Chinese interface
// refuses it as before, in its own language.
TEST_P(EncodingTest, NewFilesTakeTheChosenEncoding)
{
    const EncodingCase& c = GetParam();
    if (*c.setting)
        settings.values["vantorNewFileEncoding"] = c.setting;
    Application app({ .player = { "null" },
        .dialogs = &dialogs,
        .settings = &settings,
        .inWindowKeys = true,
        .language = c.language,
        .newFileEncoding = c.option });
    app.show();
    const QByteArray bytes = makeEntry(app, QStringLiteral("Mädchen niño"));
    if (!c.utf8) {
        EXPECT_TRUE(bytes.isEmpty());
        ASSERT_EQ(dialogs.errors.size(), 1u);
        EXPECT_NE(dialogs.errors[0].find("GBK"), std::string::npos) << dialogs.errors[0];
        app.window().close();
        return;
    }
    EXPECT_TRUE(dialogs.errors.empty());
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << "no byte-order mark";
    EXPECT_TRUE(bytes.contains("\r\n")) << "CR LF line ends";
    EXPECT_TRUE(bytes.contains("M\xC3\xA4"
                               "dchen ni\xC3\xB1o"));
    // The default style's font name is written in UTF-8 too.
    EXPECT_TRUE(bytes.contains("\\fn\xE9\xBB\x91\xE4\xBD\x93"));
    app.window().close();

    // Readers of SRT take the file: python3-srt and FFmpeg give back the text.
    const QString path = folder.filePath(QStringLiteral("clip.srt"));
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral("-c"),
            QStringLiteral("import srt,sys; print(list(srt.parse(open(sys.argv[1], "
                           "encoding='utf-8').read()))[0].content)"),
            path });
    ASSERT_TRUE(python.waitForFinished(10000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    EXPECT_TRUE(python.readAllStandardOutput().contains("M\xC3\xA4"
                                                        "dchen ni\xC3\xB1o"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        { QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
            QStringLiteral("-i"), path, QStringLiteral("-f"), QStringLiteral("srt"), QStringLiteral("-") });
    ASSERT_TRUE(ffmpeg.waitForFinished(10000));
    EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
    EXPECT_TRUE(ffmpeg.readAllStandardOutput().contains("M\xC3\xA4"
                                                        "dchen ni\xC3\xB1o"));
}

INSTANTIATE_TEST_SUITE_P(Choices, EncodingTest,
    ::testing::Values(EncodingCase { "EnglishInterface", "en", "", "", true },
        EncodingCase { "ChineseInterface", "zh", "", "", false },
        EncodingCase { "ChineseWithTheOption", "zh", "utf-8", "", true },
        EncodingCase { "ChineseWithTheSetting", "zh", "", "utf-8", true },
        EncodingCase { "EnglishWithGbkChosen", "en", "gbk", "", false },
        EncodingCase { "OptionOverridesTheSetting", "zh", "utf-8", "gbk", true }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vantor
