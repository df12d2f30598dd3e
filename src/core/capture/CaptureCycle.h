#pragma once

#include "capture/CaptureClock.h"
#include "documents/SubtitleFileSet.h"
#include "model/CaptureSession.h"
#include "model/SubtitleDocuments.h"
#include "ports/HotKeyService.h"
#include "ports/Keys.h"
#include "ports/MainView.h"
#include "ports/MediaPlayer.h"
#include "ports/TextCodec.h"

#include <functional>
#include <string>

namespace vantor {

// The three-key cycle: F9 marks a line's start and plays, F10 its end (the segment then loops), Enter
// appends the entry to both documents and prepares the next one where the loop last wrapped.
class CaptureCycle {
public:
    // Composes a formatted text line from the typed text (code-page bytes) with the current style pieces.
    using ComposeTextLine = std::function<std::string(const std::string& text, bool custom)>;

    CaptureCycle(CaptureSession& session, SubtitleDocuments& documents, SubtitleFileSet& files,
        CaptureClock& clock, MainView& view, MediaPlayer& player, TextCodec& codec, ComposeTextLine compose);

    // Milliseconds (0–1000) taken off every start and end mark for the user's reaction time; never below
    // the media start. 0 leaves the marks as the player reports them.
    void setReactionOffset(int milliseconds) { m_reactionOffsetMs = milliseconds; }
    int reactionOffset() const { return m_reactionOffsetMs; }

    void StartTimeButtonClick();
    void EndTimeButtonClick();
    void LockTimeButtons();
    // Key-down in the input field; only Enter (13) does anything.
    void InputEditKeyDown(int key);

private:
    std::string timeLine();
    // The mark for the player's `position` whose clock time code is `clockCode`, less the reaction
    // offset: its time code, and its seconds in `seconds`.
    std::string markAt(const std::string& clockCode, double position, Seconds& seconds) const;

    CaptureSession& m_session;
    SubtitleDocuments& m_documents;
    SubtitleFileSet& m_files;
    CaptureClock& m_clock;
    MainView& m_view;
    MediaPlayer& m_player;
    TextCodec& m_codec;
    ComposeTextLine m_compose;
    int m_reactionOffsetMs = 0;
};

} // namespace vantor
