#pragma once

// The program's objects, built as src/app/main.cpp builds them and in the same order, so that the
// measuring tools time the real start-up and the real timer tick. Keep it in step with main.cpp.
#include "BenchSupport.h"
#include "Fonts.h"
#include "HotKeyServiceFactory.h"
#include "IniSettingsStore.h"
#include "MainController.h"
#include "MpvPlayer.h"
#include "MpvVideoSurface.h"
#include "PosixFileSystem.h"
#include "QtDialogs.h"
#include "QtTextCodec.h"
#include "TFontOptionForm.h"
#include "TForm1.h"

#include <QApplication>
#include <QIcon>
#include <QWidget>

#include <clocale>
#include <memory>
#include <optional>

namespace vantor::bench {

// Steady-clock seconds at the steps of the build, for the start-up breakdown.
struct AssemblyStamps {
    double begin = 0;
    double playerMade = 0;
    double formMade = 0;
    double done = 0;
};

struct AppAssembly {
    // Call after QApplication and prepareApplication(), as main() does.
    AppAssembly()
        : form(player, dialogs)
    {
        stamps.formMade = monotonicSeconds();
        dialogs.setParent(&form);
        hotKeys = makeHotKeyService(form);
        settings.emplace(IniSettingsStore::defaultFolder());
        fontViews.emplace(dialogs);
        controller.emplace(
            MainPorts { form, player, dialogs, files, codec, *hotKeys, *settings, *fontViews });
        form.attach(*controller);
        controller->FormCreate();
        stamps.done = monotonicSeconds();
    }

    // What main() does to the application object before it builds anything.
    static void prepareApplication()
    {
        QApplication::setApplicationName(QStringLiteral("vantor"));
        QGuiApplication::setDesktopFileName(QStringLiteral("io.github.vantor.Vantor"));
        QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vantor")));
        std::setlocale(LC_NUMERIC, "C");
        installFontSubstitutions();
    }

    // The video surface (the widget named WP inside the player panel).
    QWidget* videoWidget() const { return form.findChild<QWidget*>(QStringLiteral("WP")); }
    int framesRendered() const
    {
        const auto* surface = dynamic_cast<const MpvVideoSurface*>(videoWidget());
        return surface ? surface->framesRendered() : 0;
    }

    // Notes the time into `slot` where it stands among the members.
    struct Stamp {
        explicit Stamp(double& slot) { slot = monotonicSeconds(); }
    };

    // Members are built in declaration order, which is main()'s order of the locals.
    AssemblyStamps stamps;
    Stamp beginStamp { stamps.begin };
    MpvPlayer player;
    Stamp playerStamp { stamps.playerMade };
    QtDialogs dialogs;
    PosixFileSystem files;
    QtTextCodec codec;
    TForm1 form;
    std::unique_ptr<HotKeyService> hotKeys;
    std::optional<IniSettingsStore> settings;
    std::optional<TFontOptionFormFactory> fontViews;
    std::optional<MainController> controller;
};

} // namespace vantor::bench
