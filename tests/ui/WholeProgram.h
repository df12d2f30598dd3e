#pragma once

#include "Application.h"
#include "FakeDialogs.h"
#include "FakeSettingsStore.h"

#include <QTemporaryDir>

namespace vantor::test {

// The whole program as main() builds it (real window, player with null audio, files and codec), with the
// dialogs answering as the test says, the style settings in memory and the keys inside the window. Shown
// by SetUp, closed by TearDown.
class WholeProgram {
protected:
    FakeDialogs dialogs;
    FakeSettingsStore settings;
    Application app {
        { .player = { "null" }, .dialogs = &dialogs, .settings = &settings, .inWindowKeys = true }
    };
    TForm1& form = app.window();
    QTemporaryDir folder;
};

} // namespace vantor::test
