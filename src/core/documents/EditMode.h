#pragma once

#include "capture/CaptureSession.h"
#include "documents/SubtitleDocuments.h"
#include "documents/SubtitleFileSet.h"
#include "ports/MainView.h"
#include "ports/MediaPlayer.h"

namespace vantor {

// Editing entries in the plain view while the player follows the caret (F7), and the way back to
// capturing after the last entry (F8).
class EditMode {
public:
    EditMode(CaptureSession& session, SubtitleDocuments& documents, SubtitleFileSet& files, MainView& view,
        MediaPlayer& player);

    void EditButtonClick();
    void ContinueButtonClick();

private:
    CaptureSession& m_session;
    SubtitleDocuments& m_documents;
    SubtitleFileSet& m_files;
    MainView& m_view;
    MediaPlayer& m_player;
};

} // namespace vantor
