#pragma once

#include "documents/SubtitleFileSet.h"
#include "model/CaptureSession.h"
#include "model/SubtitleDocuments.h"
#include "ports/Keys.h"
#include "ports/MainView.h"
#include "ports/MediaPlayer.h"
#include "ports/TextCodec.h"

#include <functional>
#include <string>

namespace vantor {

// What edit mode needs of the current style: composing a text line from the pieces, and refreshing the
// custom pieces from the font dialog's controls after reading the document's style into them.
struct EditModeStyle {
    // Style pieces + text (code-page bytes) [+ "</b>" unless custom].
    std::function<std::string(const std::string& text, bool custom)> compose;
    // LoadStyleIntoDialog (which clears CustomStyle on a default-styled document), then, while CustomStyle
    // is still set, BuildCustomStyle from the dialog's controls.
    std::function<void()> reloadCustomStyle;
};

// Editing entries in the plain view while the player follows the caret (F7), and the way back to
// capturing after the last entry (F8).
class EditMode {
public:
    EditMode(CaptureSession& session, SubtitleDocuments& documents, SubtitleFileSet& files, MainView& view,
        MediaPlayer& player, TextCodec& codec, EditModeStyle style);

    void EditButtonClick();
    void ContinueButtonClick();
    // Key-down and key-up in the plain view. Returns true when the key must be discarded.
    bool UserRichEditKeyDown(int key, bool keyUp);
    void UserRichEditMouseDown();
    // Takes the caret's line; on a time line, takes its times and seeks there. Failures end it silently.
    void SyncToCaretLine();
    // Carries the change of the caret's line into the formatted document. Failures end it silently.
    void ApplyPlainEditToFormatted();
    // The user changed line `index` of the plain view to `text` (UTF-8).
    void PlainLineEdited(std::size_t index, const std::string& text);

private:
    void syncToCaretLine();
    void applyPlainEditToFormatted();
    std::string lineAt(const TextDocument& document, long long index) const;

    CaptureSession& m_session;
    SubtitleDocuments& m_documents;
    SubtitleFileSet& m_files;
    MainView& m_view;
    MediaPlayer& m_player;
    TextCodec& m_codec;
    EditModeStyle m_style;
};

} // namespace vantor
