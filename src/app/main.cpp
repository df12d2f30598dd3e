// Vantor: timing SRT subtitles for a video from the keyboard.
#include "Application.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

const char* const kUsage
    = "Usage: vantor [VIDEO]\n"
      "Times SRT subtitles for VIDEO by hand: F9 marks a line's start, F10 its end, the\n"
      "segment loops while you type the line, Enter saves it. F7 edits, F8 continues.\n"
      "The subtitles are written beside the video as NAME.srt (with style tags) and\n"
      "NoFormatNAME.srt (plain).\n\n"
      "  --lang zh|en            the interface's language (default: the user's, from\n"
      "                          LANGUAGE, LC_ALL, LC_MESSAGES, LANG; Chinese and C give zh)\n"
      "  --encoding gbk|utf-8    the encoding of new subtitle files for this run (default:\n"
      "                          the settings value vantorNewFileEncoding, else utf-8 with\n"
      "                          the English interface and gbk with the Chinese one)\n"
      "  --help                  show this text\n"
      "  --version               show the version\n"
      "  --                      ends the options, for a VIDEO whose name starts with \"-\"\n";

} // namespace

int main(int argc, char* argv[])
{
    // Options are answered before any window system is touched, so they work without a display.
    std::string video;
    std::string language = vantor::languageOfEnvironment();
    std::string encoding;
    for (int i = 1; i < argc; ++i) {
        // --lang and --encoding take one of their values, as the next argument or after "=".
        const auto valueOf
            = [&](const char* option, std::initializer_list<const char*> allowed) -> const char* {
            const std::size_t length = std::strlen(option);
            const char* value = nullptr;
            if (std::strcmp(argv[i], option) == 0 && i + 1 < argc)
                value = argv[++i];
            else if (std::strncmp(argv[i], option, length) == 0 && argv[i][length] == '=')
                value = argv[i] + length + 1;
            else
                return nullptr;
            for (const char* candidate : allowed) {
                if (std::strcmp(value, candidate) == 0)
                    return value;
            }
            std::fprintf(stderr, "vantor: %s takes one of:", option);
            for (const char* candidate : allowed)
                std::fprintf(stderr, " %s", candidate);
            std::fprintf(stderr, "\n");
            std::exit(2);
        };
        if (const char* value = valueOf("--lang", { "zh", "en" })) {
            language = value;
            continue;
        }
        if (const char* value = valueOf("--encoding", { "gbk", "utf-8" })) {
            encoding = value;
            continue;
        }
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
        if (argv[i][0] == '-' && argv[i][1] != '\0' && video.empty() && i == argc - 1) {
            std::fprintf(stderr, "vantor: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
        video = argv[i];
    }

    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(VANTOR_VERSION));
    vantor::Application::prepareProcess();

    try {
        vantor::Application program({ .language = language, .newFileEncoding = encoding });
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
