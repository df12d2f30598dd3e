#pragma once

#include "capture/CaptureClock.h"
#include "capture/CaptureSession.h"
#include "ports/Dialogs.h"
#include "ports/MainView.h"
#include "ports/MediaPlayer.h"

namespace vantor {

// The main window's behaviour. The window's slots forward each event to the handler of the same name;
// every handler works on the window through the MainView port.
class MainController {
public:
    MainController(MainView& view, MediaPlayer& player, Dialogs& dialogs);

    CaptureSession& session() { return m_session; }
    const CaptureSession& session() const { return m_session; }
    CaptureClock& clock() { return m_clock; }

    void FormShow();
    void FormResize();
    void Timer1Timer();
    std::string CurrentTimeCode() { return m_clock.CurrentTimeCode(); }

private:
    MainView& m_view;
    MediaPlayer& m_player;
    Dialogs& m_dialogs;
    CaptureSession m_session;
    CaptureClock m_clock;
};

} // namespace vantor
