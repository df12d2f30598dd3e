#pragma once

#include "model/CaptureSession.h"
#include "ports/MainView.h"
#include "ports/MediaPlayer.h"

#include <string>

namespace vantor {

// The timer side of capturing: reads the player position as a time code, keeps the status and position
// labels current and loops the marked segment, once per 1 ms tick.
class CaptureClock {
public:
    CaptureClock(CaptureSession& session, MainView& view, MediaPlayer& player);

    // The player position as a time code; refreshes the position texts of the session, carries out a
    // pending resume and repairs time fields that hold ":0". Reads the player afresh on every call.
    std::string CurrentTimeCode();
    // One tick of Timer1. Player errors propagate: the tick stops where it failed.
    void Timer1Timer();

private:
    CaptureSession& m_session;
    MainView& m_view;
    MediaPlayer& m_player;
};

} // namespace vantor
