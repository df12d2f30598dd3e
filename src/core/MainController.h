#pragma once

#include "capture/CaptureClock.h"
#include "capture/CaptureCycle.h"
#include "capture/TimingAids.h"
#include "documents/EditMode.h"
#include "documents/SubtitleFileSet.h"
#include "model/CaptureSession.h"
#include "model/SubtitleDocuments.h"
#include "overlay/SubtitleOverlay.h"
#include "ports/Dialogs.h"
#include "ports/FileSystem.h"
#include "ports/HotKeyService.h"
#include "ports/MainView.h"
#include "ports/MediaPlayer.h"
#include "ports/SettingsStore.h"
#include "ports/TextCodec.h"
#include "style/FontOptionStack.h"
#include "style/FontOptionView.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// The ports the main window's behaviour talks through.
struct MainPorts {
    MainView& view;
    MediaPlayer& player;
    Dialogs& dialogs;
    FileSystem& files;
    TextCodec& codec;
    HotKeyService& hotKeys;
    SettingsStore& settings;
    FontOptionViewFactory& fontViews;
};

// The main window's behaviour. The window's slots forward each event to the handler of the same name.
// Every handler that can change a document ends by writing the files it made due, before control goes
// back to the event loop.
class MainController {
public:
    explicit MainController(MainPorts ports);
    ~MainController();

    CaptureSession& session() { return m_session; }
    const CaptureSession& session() const { return m_session; }
    SubtitleDocuments& documents() { return m_documents; }
    SubtitleFileSet& fileSet() { return m_fileSet; }
    FontOptionStack& fontOptionStack() { return m_fontOptionStack; }
    SubtitleOverlay& overlay() { return m_overlay; }

    void FormCreate();
    void FormShow();
    void FormResize();
    void FormClose();
    void Timer1Timer();
    // Asked after each tick: false when the window may stop Timer1 until it is asked for ticks again.
    bool needsTick() { return m_clock.needsTick(); }
    // Asked after a tick that needs a next one: milliseconds until it is due.
    int nextTickMs() { return m_clock.nextTickMs(); }
    // `handler` asks the window for ticks again: called when a handler ends (after its saves) and when the
    // player has news. A tick already running is left as it is.
    void setTickRequestHandler(std::function<void()> handler) { m_tickRequestHandler = std::move(handler); }
    std::string CurrentTimeCode() { return m_clock.CurrentTimeCode(); }

    void OpenButtonClick();
    // Opens `path` as if it had been chosen in the open-file dialog.
    void openVideo(const std::string& path);
    // The player reports, after the open, that it cannot play the opened file; `reason` is its own text.
    void videoFailed(const std::string& reason);
    void StartTimeButtonClick();
    void EndTimeButtonClick();
    void InputEditKeyDown(int key);
    // The user changed the text of InputEdit: the preview on the picture follows it.
    void InputEditChange();
    // Shows or hides the subtitles on the picture, and remembers the choice for the user.
    void toggleOverlay();
    void EditButtonClick();
    void ContinueButtonClick();
    void HotKeyPressed(HotKey key);
    // The desktop answered the registration of the hot keys later (the portal): `refused` did not become
    // global; the footer says so.
    void hotKeysAnswered(const std::vector<HotKey>& refused);
    void BitBtn1Click();
    // The plain view's key filter, for key-down and key-up: true when the key must be discarded.
    bool UserRichEditKeyDown(int key, bool keyUp);
    void UserRichEditMouseDown();
    // The user changed line `index` of the plain view to `text` (UTF-8). When the change is refused (a
    // character the file's code page cannot hold), the view gets the line back and the error propagates.
    void plainLineEdited(std::size_t index, const std::string& text);
    // Shows the plain document in the plain view again, whole; for a view that lost step with it.
    void refreshPlainView();

    // The timing keys, from anywhere in the window, also while the input field or the plain view has the
    // focus. Speed, seek and pause act on the player only: no mark, document or file changes.
    void fasterPlayback();
    void slowerPlayback();
    void normalPlayback();
    void seekBy(double seconds);
    void togglePlayback();
    // The timing dialog (Alt+T): the reaction-time offset, remembered in the settings.
    void timingDialog();
    int reactionOffset() const { return m_cycle.reactionOffset(); }
    // Undo and redo in the plain view (Ctrl+Z; Ctrl+Shift+Z, Ctrl+Y).
    void plainUndo();
    void plainRedo();

    // Keys whose registration the platform refused, at FormCreate or in its later answer, in registration
    // order.
    const std::vector<HotKey>& refusedHotKeys() const { return m_refusedHotKeys; }

private:
    template <typename Handler> void action(Handler&& handler);
    std::string composeWithCurrentStyle(const std::string& text, bool custom);
    // Fills the font dialog from the formatted document's first text line and, on a custom-styled document,
    // makes its style the pieces new text lines get.
    void readStyleOfDocument();
    void wireNotifications();
    void mirrorPlainChange(const TextDocument::Change& change);
    void showHotKeyFooter();
    // The line being typed as the entry Enter would make of it (UTF-8), while a segment loops for it.
    std::optional<std::string> previewText();
    // Brings the overlay up to date with the documents, the preview and the position. Never throws: what
    // fails here also fails, and is reported, where the user acted.
    void refreshOverlay() noexcept;
    // Takes the reaction-time offset from the settings; an absent or unreadable value is 0.
    void loadReactionOffset();
    void requestTicks();

    MainPorts m_ports;
    CaptureSession m_session;
    SubtitleDocuments m_documents;
    FontOptionStack m_fontOptionStack;
    CaptureClock m_clock;
    SubtitleFileSet m_fileSet;
    CaptureCycle m_cycle;
    EditMode m_editMode;
    SubtitleOverlay m_overlay;
    TimingAids m_timingAids;
    std::vector<HotKey> m_refusedHotKeys;
    std::vector<HotKey> m_registeredHotKeys;
    std::function<void()> m_tickRequestHandler;
    int m_actionDepth = 0;
    // The plain view lags behind the plain document until the current action ends.
    bool m_plainViewStale = false;
};

} // namespace vantor
