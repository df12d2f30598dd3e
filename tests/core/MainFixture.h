#pragma once

#include "FakeDialogs.h"
#include "FakeFileSystem.h"
#include "FakeFontOptionView.h"
#include "FakeHotKeyService.h"
#include "FakeMainView.h"
#include "FakePlayer.h"
#include "FakeSettingsStore.h"
#include "IconvCodec.h"
#include "MainController.h"
#include "model/VantorError.h"

#include <gtest/gtest.h>

#include <string>

namespace vantor::test {

// The main window's behaviour with every port faked.
struct MainRig {
    FakeMainView view;
    FakePlayer player;
    FakeDialogs dialogs;
    FakeFileSystem files;
    IconvCodec codec;
    FakeHotKeyService hotKeys;
    FakeSettingsStore settings;
    FakeFontOptionViewFactory fontViews;
    MainController controller { { view, player, dialogs, files, codec, hotKeys, settings, fontViews } };

    // The window is created and shown.
    void start()
    {
        controller.FormCreate();
        controller.FormShow();
    }
};

class MainFixture : public ::testing::Test, protected MainRig {
protected:
    static constexpr const char* kVideo = "/v/clip.mp4";
    static constexpr const char* kFormatted = "/v/clip.srt";
    static constexpr const char* kPlain = "/v/NoFormatclip.srt";
    // The default style block in GBK: {\fn黑体\fs18\bord0\shad3\3c&HFFFFFF&}<b>
    static inline const std::string kDefaultBlock
        = "{\\fn\xBA\xDA\xCC\xE5\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>";

    void SetUp() override { start(); }

    // Opens the video; `answerYes` answers the question about an existing file.
    void open(const std::string& path = kVideo, bool answerYes = true)
    {
        dialogs.fileToOpen = path;
        dialogs.answerYes = answerYes;
        controller.OpenButtonClick();
    }

    // One whole capture cycle: F9 at `start`, F10 at `end`, the loop wraps at `wrap`, Enter with `text`.
    void entry(double start, double end, double wrap, const std::string& text)
    {
        player.position = start;
        hotKeys.press(HotKey::F9);
        player.position = end;
        hotKeys.press(HotKey::F10);
        player.position = wrap;
        controller.Timer1Timer();
        view.texts[Control::InputEdit] = text;
        controller.InputEditKeyDown(keys::kEnter);
    }

    const CaptureSession& session() { return controller.session(); }

    // The paths written so far, in order.
    std::vector<std::string> writtenPaths() const
    {
        std::vector<std::string> paths;
        for (const auto& write : files.writes)
            paths.push_back(write.path);
        return paths;
    }
};

} // namespace vantor::test
