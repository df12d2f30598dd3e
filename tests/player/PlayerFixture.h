#pragma once

#include "MpvPlayer.h"
#include "MpvVideoSurface.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace vantor::test {

using namespace std::chrono_literals;

// One frame of the test clip (25 fps), the step in which mpv's position advances.
inline constexpr double kFrame = 0.04;

// Path of a clip made by scripts/make-media: in the folder VANTOR_TEST_MEDIA names, else in the build
// folder's test-media.
std::string mediaPath(const std::string& name);

// Runs the event loop with a 1 ms precise timer, as the main window does: each tick drains the player's
// events, then calls `onTick`, then asks `done`. Returns as soon as `done` holds (true) or when `limit` is
// up (false). QTest::qWait would tick only every ~10 ms. An exception from `onTick` or `done` stops the
// loop and is rethrown here, outside the event loop.
bool spinUntil(MpvPlayer& player, std::chrono::milliseconds limit, const std::function<bool()>& done,
    const std::function<void()>& onTick = {});
void spinFor(MpvPlayer& player, std::chrono::milliseconds time, const std::function<void()>& onTick = {});

// A player with its software video surface in a hidden host widget: without a render context libmpv's
// video output refuses to start and the position would follow the audio clock instead of the frames.
class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override;

    // setUrl + stop as the open step does, then waits until the file is loaded.
    void openAndWait(const std::string& path);
    MpvVideoSurface& surface() { return *dynamic_cast<MpvVideoSurface*>(m_surface); }

    QWidget m_host;
    std::unique_ptr<MpvPlayer> m_player;
    QWidget* m_surface = nullptr;
};

} // namespace vantor::test
