// Vantor: timing SRT subtitles for a video from the keyboard.
#include "Fonts.h"
#include "HotKeyServiceFactory.h"
#include "IniSettingsStore.h"
#include "MainController.h"
#include "MpvPlayer.h"
#include "PosixFileSystem.h"
#include "QtDialogs.h"
#include "QtTextCodec.h"
#include "TFontOptionForm.h"
#include "TForm1.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kUsage
    = "Usage: vantor [VIDEO]\n"
      "Times SRT subtitles for VIDEO by hand: F9 marks a line's start, F10 its end, the\n"
      "segment loops while you type the line, Enter saves it. F7 edits, F8 continues.\n"
      "The subtitles are written beside the video as NAME.srt (with style tags) and\n"
      "NoFormatNAME.srt (plain).\n\n"
      "  --help     show this text\n"
      "  --version  show the version\n"
      "  --         ends the options, for a VIDEO whose name starts with \"-\"\n";

} // namespace

int main(int argc, char* argv[])
{
    // Options are answered before any window system is touched, so they work without a display.
    std::string video;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vantor %s\n", VANTOR_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--") == 0 && i + 1 < argc) {
            video = argv[++i];
            continue;
        }
        if (argv[i][0] == '-' && argv[i][1] != '\0' && video.empty() && argc == 2) {
            std::fprintf(stderr, "vantor: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
        video = argv[i];
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vantor"));
    QApplication::setApplicationVersion(QStringLiteral(VANTOR_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.vantor.Vantor"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vantor")));
    // libmpv needs "." as the decimal point for the whole life of the process.
    std::setlocale(LC_NUMERIC, "C");
    vantor::installFontSubstitutions();

    try {
        vantor::MpvPlayer player;
        vantor::QtDialogs dialogs;
        vantor::PosixFileSystem files;
        vantor::QtTextCodec codec;
        vantor::TForm1 form(player, dialogs);
        dialogs.setParent(&form);
        const auto hotKeys = vantor::makeHotKeyService(form);
        vantor::IniSettingsStore settings(vantor::IniSettingsStore::defaultFolder());
        vantor::TFontOptionFormFactory fontViews(dialogs);
        vantor::MainController controller(
            { form, player, dialogs, files, codec, *hotKeys, settings, fontViews });
        form.attach(controller);
        controller.FormCreate();
        for (const vantor::HotKey key : controller.refusedHotKeys())
            std::fprintf(stderr, "vantor: %s is held by another program; it works only as a button here\n",
                vantor::hotKeyLabel(key).c_str());
        form.show();
        if (!video.empty())
            controller.OpenVideo(video);
        return application.exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(
            nullptr, QString::fromUtf8(vantor::kApplicationTitle), QString::fromUtf8(error.what()));
        return 1;
    }
}
