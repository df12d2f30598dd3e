#pragma once

#include "Language.h"
#include "MainController.h"
#include "MpvPlayer.h"
#include "PosixFileSystem.h"
#include "QtTextCodec.h"
#include "TFontOptionForm.h"
#include "TForm1.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class QtDialogs;

// What the program builds as it does, and what a test or a measuring tool puts in its place.
struct ApplicationOptions {
    MpvPlayer::Options player;
    // The message boxes and the open-file dialog; null: Qt's, parented to the main window.
    Dialogs* dialogs = nullptr;
    // Where the style settings live; null: the settings file in `settingsFolder`, or in the user's
    // configuration folder when that is empty.
    SettingsStore* settings = nullptr;
    std::string settingsFolder;
    // The in-window shortcuts instead of the desktop's global keys.
    bool inWindowKeys = false;
    // The interface's language, "zh" or "en" (main() takes it from the environment or --lang).
    std::string language = "zh";
    // The encoding of new subtitle files, "gbk" or "utf-8"; empty: the settings value
    // "vantorNewFileEncoding" where it names one, else UTF-8 with the English interface and GBK otherwise.
    // Files that exist keep the encoding they were read in.
    std::string newFileEncoding;
    // Told the name of each step of the build as it is done ("player", "window", "ready"), for start-up
    // measurements.
    std::function<void(std::string_view step)> onStep;
};

// The program's objects, built in the one place that knows them all: the player, the adapters, the windows
// and the core that ties them together. main(), the tests of the whole window and the measuring tools all
// build the program through it.
class Application {
public:
    // Call once, after the QApplication exists and before anything is built: names the application, sets
    // what libmpv needs of the process and the font substitutions.
    static void prepareProcess();

    // Builds everything and registers the global keys (FormCreate); nothing is shown yet.
    explicit Application(ApplicationOptions options = {});
    // Closes the window if it is open and frees the player before the widgets its picture lives in.
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Shows the main window; its first show runs the style start-up.
    void show();
    // Opens the video given at start (main's argument) once the player has started: the player then
    // starts opening the clip on its own threads before the subtitle files beside it are loaded on this
    // one, so that the clip never waits behind a long file. A failure goes to the error report.
    void openVideoAtStart(const std::string& path);

    TForm1& window() { return m_form; }
    MainController& controller() { return *m_controller; }
    MpvPlayer& player() { return m_player; }
    FileSystem& files() { return m_files; }
    // Keys the desktop did not grant at FormCreate.
    const std::vector<HotKey>& refusedHotKeys() const { return m_controller->refusedHotKeys(); }

    // The settings value that chooses the encoding of new subtitle files: "gbk" or "utf-8".
    static constexpr std::string_view kNewFileEncodingSetting = "vantorNewFileEncoding";

private:
    void step(std::string_view name) const;
    CodePage newFileCodePage(SettingsStore& settings) const;

    ApplicationOptions m_options;
    // Before anything that shows a text is built.
    InterfaceLanguage m_language;
    MpvPlayer m_player;
    std::unique_ptr<QtDialogs> m_ownDialogs;
    Dialogs& m_dialogs;
    PosixFileSystem m_files;
    QtTextCodec m_codec;
    TForm1 m_form;
    std::unique_ptr<HotKeyService> m_hotKeys;
    std::unique_ptr<SettingsStore> m_ownSettings;
    TFontOptionFormFactory m_fontViews;
    std::unique_ptr<MainController> m_controller;
};

} // namespace vantor
