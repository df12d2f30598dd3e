#include "documents/EditMode.h"

#include "capture/TimeCode.h"

namespace vantor {

EditMode::EditMode(CaptureSession& session, SubtitleDocuments& documents, SubtitleFileSet& files,
    MainView& view, MediaPlayer& player)
    : m_session(session)
    , m_documents(documents)
    , m_files(files)
    , m_view(view)
    , m_player(player)
{
}

void EditMode::EditButtonClick()
{
    m_files.EnterEditMode();
}

void EditMode::ContinueButtonClick()
{
    m_player.setCurrentPosition(static_cast<double>(m_session.ResumeSeconds));
    m_session.StartSeconds = m_session.ResumeSeconds;
    m_player.pause();
    m_view.setText(Control::Edit1,
        m_session.ResumeStartText.empty() ? m_view.text(Control::Label1) : m_session.ResumeStartText);
    m_view.setText(Control::Edit2,
        m_session.ResumeEndText.empty() ? std::string(kZeroTimeCode) : m_session.ResumeEndText);
    m_view.setEnabled(Control::StartTimeButton, true);
    m_view.setEnabled(Control::EndTimeButton, true);
    m_view.setFocus(Control::InputEdit);
    m_view.setVisible(Control::UserRichEdit, false);
    m_view.setVisible(Control::Panel3, true);
    m_session.EditMode = false;
}

} // namespace vantor
