#pragma once

// The program as main() builds it (through Application), with the times of the build's steps, so that the
// measuring tools time the real start-up and the real timer tick.
#include "Application.h"
#include "BenchSupport.h"
#include "MpvVideoSurface.h"

#include <QWidget>

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
        : app({ .onStep = [this](std::string_view step) { stamp(step); } })
        , player(app.player())
        , form(app.window())
        , controller(&app.controller())
    {
    }

    // What main() does to the process before it builds anything.
    static void prepareApplication() { Application::prepareProcess(); }

    // The video surface (the widget named WP inside the player panel).
    QWidget* videoWidget() const { return form.findChild<QWidget*>(QStringLiteral("WP")); }
    int framesRendered() const
    {
        const auto* surface = dynamic_cast<const MpvVideoSurface*>(videoWidget());
        return surface ? surface->framesRendered() : 0;
    }

    void stamp(std::string_view step)
    {
        if (step == "player")
            stamps.playerMade = monotonicSeconds();
        else if (step == "window")
            stamps.formMade = monotonicSeconds();
        else if (step == "ready")
            stamps.done = monotonicSeconds();
    }

    AssemblyStamps stamps { .begin = monotonicSeconds() };
    Application app;
    MpvPlayer& player;
    TForm1& form;
    MainController* controller;
};

} // namespace vantor::bench
