#pragma once

// The whole program as the document tools measure it: the real window, player (null audio), files and
// converter, with the question about an existing subtitle file answered Yes, the style settings in memory
// and the keys inside the window.
#include "Application.h"
#include "FakeDialogs.h"
#include "FakeSettingsStore.h"

namespace vantor::bench {

struct AnsweringProgram {
    AnsweringProgram() { dialogs.answerYes = true; }

    test::FakeDialogs dialogs;
    test::FakeSettingsStore settings;
    Application app {
        { .player = { "null" }, .dialogs = &dialogs, .settings = &settings, .inWindowKeys = true }
    };
};

} // namespace vantor::bench
