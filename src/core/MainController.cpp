#include "MainController.h"

namespace vantor {

MainController::MainController(MainView& view, MediaPlayer& player, Dialogs& dialogs)
    : m_view(view)
    , m_player(player)
    , m_dialogs(dialogs)
    , m_clock(m_session, view, player)
{
}

void MainController::FormShow()
{
    m_session.EntryCount = 0;
    m_session.Loading = false;
    m_session.ResumePending = false;
    m_session.EditMode = false;
    m_session.CustomStyle = false;
}

void MainController::FormResize()
{
    m_player.fitDisplay(0, 0, m_view.videoPanelWidth(), m_view.videoPanelHeight());
}

void MainController::Timer1Timer()
{
    m_clock.Timer1Timer();
}

} // namespace vantor
