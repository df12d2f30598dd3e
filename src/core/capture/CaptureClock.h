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
    // True while a tick can still find something new: the player plays, opens a file or has a seek under
    // way, or a resume waits. Asked after a tick; false means that tick showed the labels as they stay
    // until the player or a handler changes something. Player errors propagate.
    bool needsTick();
    // Milliseconds until the next tick is due, asked after a tick that needs a next one. While the media
    // plays and nothing is under way, the labels need no more than a screen refresh (kRelaxedTickMs); a
    // looping segment is met at its end mark by ticks every millisecond from shortly before it. Otherwise
    // 1. Player errors propagate.
    int nextTickMs();
    static constexpr int kRelaxedTickMs = 16;

private:
    CaptureSession& m_session;
    MainView& m_view;
    MediaPlayer& m_player;
};

} // namespace vantor
