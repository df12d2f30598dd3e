#pragma once

#include "documents/PlainEditHistory.h"
#include "documents/SubtitleFileSet.h"
#include "model/CaptureSession.h"
#include "model/SubtitleDocuments.h"
#include "ports/Keys.h"
#include "ports/MainView.h"
#include "ports/MediaPlayer.h"
#include "ports/TextCodec.h"

#include <functional>
#include <optional>
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
    void plainLineEdited(std::size_t index, const std::string& text);
    // Takes back the user's last edit of a line of the plain view, or carries out again the last one taken
    // back; like any edit it reaches the formatted document and both files. Only while the plain view
    // shows; never inserts or removes a line.
    void undoPlainEdit();
    void redoPlainEdit();
    // The plain document's lines moved or were replaced wholesale: earlier edits can no longer be undone.
    void forgetPlainEdits() { m_history.clear(); }

private:
    void followCaretLine();
    void carryPlainEdit();
    // Line `line` of the plain document becomes `text`, carried over as if the user had typed it there.
    void replayPlainEdit(std::size_t line, const std::string& expected, const std::string& text);
    std::string lineAt(const TextDocument& document, long long index) const;

    CaptureSession& m_session;
    SubtitleDocuments& m_documents;
    SubtitleFileSet& m_files;
    MainView& m_view;
    MediaPlayer& m_player;
    TextCodec& m_codec;
    EditModeStyle m_style;
    PlainEditHistory m_history;
    // The line an undo or redo changes; the edit is carried from there rather than from the caret's line.
    std::optional<long long> m_replayLine;
};

} // namespace vantor
