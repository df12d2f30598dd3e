// Vantor: timing SRT subtitles for a video from the keyboard.
#include "Application.h"

#include <QApplication>
#include <QMessageBox>

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
    QApplication::setApplicationVersion(QStringLiteral(VANTOR_VERSION));
    vantor::Application::prepareProcess();

    try {
        vantor::Application program;
        for (const vantor::HotKey key : program.refusedHotKeys())
            std::fprintf(stderr, "vantor: %s is held by another program; it works only as a button here\n",
                vantor::hotKeyLabel(key).c_str());
        program.show();
        if (!video.empty())
            program.openVideoAtStart(video);
        return application.exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(
            nullptr, QString::fromUtf8(vantor::kApplicationTitle), QString::fromUtf8(error.what()));
        return 1;
    }
}
