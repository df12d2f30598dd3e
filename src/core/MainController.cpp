#include "MainController.h"

#include "capture/HotKeyFooter.h"
#include "model/Translate.h"
#include "model/VantorError.h"

#include <algorithm>

namespace vantor {

namespace {
// The settings value that remembers a hidden overlay ("0"); the style readers know no such name.
constexpr std::string_view kOverlaySetting = "vantorSubtitleOverlay";
} // namespace

MainController::MainController(MainPorts ports)
    : m_ports(ports)
    , m_fontOptionStack(ports.fontViews, ports.settings, m_documents, m_session, ports.codec)
    , m_clock(m_session, ports.view, ports.player)
    , m_fileSet(m_session, m_documents, ports.view, ports.player, ports.dialogs, ports.files, ports.codec)
    , m_cycle(m_session, m_documents, m_fileSet, m_clock, ports.view, ports.player, ports.codec,
          [this](const std::string& text, bool custom) { return composeWithCurrentStyle(text, custom); })
    , m_editMode(m_session, m_documents, m_fileSet, ports.view, ports.player, ports.codec,
          { [this](const std::string& text, bool custom) { return composeWithCurrentStyle(text, custom); },
              [this] { readStyleOfDocument(); } })
    , m_overlay(m_documents, ports.player, ports.codec)
    , m_timingAids(ports.player)
{
    wireNotifications();
}

// Every notification between the core's parts, in one place. A change of a document first reaches its
// observer, then its change handler (TextDocument::changed), so for the plain document the view mirrors the
// change before the edit is carried into the formatted document and the plain file is marked due; the
// formatted document's change marks its file due.
void MainController::wireNotifications()
{
    m_documents.PlainDocument.setObserver(
        [this](const TextDocument::Change& change) { mirrorPlainChange(change); });
    m_documents.PlainDocument.setChangeHandler([this] { m_fileSet.UserRichEditChange(); });
    m_fileSet.setPlainEditHandler([this] { m_editMode.ApplyPlainEditToFormatted(); });
    m_documents.FormattedDocument.setChangeHandler([this] {
        m_fileSet.TempRichEditChange();
        m_overlay.documentChanged();
    });
    m_fileSet.setLoadedStyleHandler([this] { readStyleOfDocument(); });
    // The player tells of an unplayable file from the event loop: nothing may escape to it.
    m_ports.player.setOpenFailureHandler([this](const std::string& reason) {
        try {
            videoFailed(reason);
        } catch (const std::exception& error) {
            m_ports.dialogs.reportError(error.what());
        }
    });
    m_ports.player.setStateChangeHandler([this] { requestTicks(); });
}

void MainController::requestTicks()
{
    if (m_tickRequestHandler)
        m_tickRequestHandler();
}

void MainController::readStyleOfDocument()
{
    FontOptions& dialog = m_fontOptionStack.current();
    dialog.LoadStyleIntoDialog();
    // On a default-styled document the pieces stay the default ones.
    if (m_session.CustomStyle)
        dialog.buildCustomStyleFromControls();
}

std::string MainController::composeWithCurrentStyle(const std::string& text, bool custom)
{
    return m_fontOptionStack.current().ComposeTextLine(text, custom);
}

// The plain view mirrors the plain document line by line.
void MainController::mirrorPlainChange(const TextDocument::Change& change)
{
    const TextDocument& plain = m_documents.PlainDocument;
    // Undo steps name lines by their index: anything but a change of one line or an entry appended at the
    // end moves them.
    if (change.kind == TextDocument::Change::Reset || change.kind == TextDocument::Change::Removed
        || (change.kind == TextDocument::Change::Inserted && change.index + 1 < plain.lineCount()))
        m_editMode.forgetPlainEdits();
    // A load rewrites the plain document several times; the view is filled once, when the action ends.
    if (m_session.Loading || m_plainViewStale) {
        m_plainViewStale = true;
        return;
    }
    MainView& view = m_ports.view;
    const auto decoded
        = [&](std::size_t index) { return m_ports.codec.decode(plain.line(index), m_documents.codePage); };
    switch (change.kind) {
    case TextDocument::Change::Reset:
        refreshPlainView();
        break;
    case TextDocument::Change::Inserted:
        view.plainViewInsertLine(change.index, decoded(change.index));
        break;
    case TextDocument::Change::Removed:
        view.plainViewRemoveLine(change.index);
        break;
    case TextDocument::Change::Replaced:
        view.plainViewReplaceLine(change.index, decoded(change.index));
        break;
    }
}

// The view reads the lines it shows when it shows them: a long document is neither decoded nor copied
// whole into the window.
void MainController::refreshPlainView()
{
    m_ports.view.plainViewShow(m_documents.PlainDocument.lineCount(), [this](std::size_t index) {
        const TextDocument& plain = m_documents.PlainDocument;
        return index < plain.lineCount() ? m_ports.codec.decode(plain.line(index), m_documents.codePage)
                                         : std::string();
    });
}

bool MainController::UserRichEditKeyDown(int key, bool keyUp)
{
    bool discard = false;
    action([&] { discard = m_editMode.UserRichEditKeyDown(key, keyUp); });
    return discard;
}

void MainController::UserRichEditMouseDown()
{
    action([&] { m_editMode.UserRichEditMouseDown(); });
}

void MainController::plainLineEdited(std::size_t index, const std::string& text)
{
    action([&] {
        try {
            m_editMode.plainLineEdited(index, text);
        } catch (...) {
            if (index < m_documents.PlainDocument.lineCount())
                m_ports.view.plainViewReplaceLine(
                    index, m_ports.codec.decode(m_documents.PlainDocument.line(index), m_documents.codePage));
            throw;
        }
    });
}

MainController::~MainController() = default;

template <typename Handler> void MainController::action(Handler&& handler)
{
    // Saves of one user action are coalesced into one write per file, made when the outermost handler
    // ends, whether it ended normally or by an error.
    struct Depth {
        MainController& self;
        Depth(MainController& s)
            : self(s)
        {
            ++self.m_actionDepth;
        }
        ~Depth()
        {
            if (--self.m_actionDepth != 0)
                return;
            if (self.m_plainViewStale) {
                // Only a load leaves the view stale, and a load ends in edit mode with the caret at the end.
                self.m_plainViewStale = false;
                self.refreshPlainView();
                if (self.m_session.EditMode)
                    self.m_ports.view.plainCaretToEnd();
            }
            self.m_fileSet.flushSaves();
            self.refreshOverlay();
            // Whatever the handler did to the player or the session (also when it failed half-way), a tick
            // must see it.
            self.requestTicks();
        }
    } depth(*this);
    handler();
}

void MainController::FormCreate()
{
    m_ports.hotKeys.setHandler([this](HotKey key) { HotKeyPressed(key); });
    m_refusedHotKeys.clear();
    for (const HotKey key : kHotKeysInOrder) {
        if (m_ports.hotKeys.registerKey(key))
            m_registeredHotKeys.push_back(key);
        else
            m_refusedHotKeys.push_back(key);
    }
    // Set before the first answer can come: the portal answers from the event loop, never from inside
    // registerKey.
    m_ports.hotKeys.setRefusalHandler(
        [this](const std::vector<HotKey>& refused) { hotKeysAnswered(refused); });
    showHotKeyFooter();
}

void MainController::hotKeysAnswered(const std::vector<HotKey>& refused)
{
    m_refusedHotKeys.clear();
    for (const HotKey key : kHotKeysInOrder) {
        if (std::find(refused.begin(), refused.end(), key) != refused.end())
            m_refusedHotKeys.push_back(key);
    }
    showHotKeyFooter();
}

void MainController::showHotKeyFooter()
{
    std::string footer
        = hotKeyFooter(m_ports.hotKeys.route(), m_refusedHotKeys, m_ports.hotKeys.answerPending())
        + timingAidsFooterNote(m_ports.player.speed(), m_cycle.reactionOffset());
    if (!m_overlay.visible())
        footer += translate("MainController", "　字幕叠加已关闭（Ctrl+T 显示）");
    m_ports.view.setText(Control::Label3, footer);
}

std::optional<std::string> MainController::previewText()
{
    MainView& view = m_ports.view;
    if (m_session.EditMode || view.isEnabled(Control::StartTimeButton)
        || view.isEnabled(Control::EndTimeButton) || !m_fileSet.canCapture())
        return std::nullopt;
    const std::string typed = view.text(Control::InputEdit);
    if (typed.empty())
        return std::nullopt;
    try {
        const std::string styled = composeWithCurrentStyle(
            m_ports.codec.encode(typed, m_documents.codePage), m_session.CustomStyle);
        return m_ports.codec.decode(styled, m_documents.codePage);
    } catch (const std::exception&) {
        // A character the file cannot hold: Enter will refuse it and say so; until then it shows as typed.
        return typed;
    }
}

void MainController::refreshOverlay() noexcept
{
    try {
        m_overlay.setPreview(previewText());
        m_overlay.show([this] { return m_ports.player.currentPosition(); });
    } catch (const std::exception&) {
        // A player that failed says so in the status label at the next tick.
    }
}

void MainController::InputEditChange()
{
    action([] {});
}

void MainController::toggleOverlay()
{
    action([&] {
        m_overlay.setVisible(!m_overlay.visible());
        showHotKeyFooter();
        m_ports.settings.writeValue(std::string(kOverlaySetting), m_overlay.visible() ? "1" : "0");
    });
}

void MainController::FormShow()
{
    m_session.EntryCount = 0;
    m_session.Loading = false;
    m_session.ResumePending = false;
    m_session.EditMode = false;
    m_session.CustomStyle = false;
    // No entry before a video is open: its files are where entries are kept.
    m_ports.view.setEnabled(Control::StartTimeButton, false);
    m_ports.view.setEnabled(Control::EndTimeButton, false);
    action([&] {
        // Shown unless the user has hidden it; a store that cannot be read leaves it shown.
        try {
            m_overlay.setVisible(m_ports.settings.readValue(std::string(kOverlaySetting)) != "0");
        } catch (const std::exception&) {
            m_overlay.setVisible(true);
        }
        showHotKeyFooter();
        loadReactionOffset();
        try {
            m_fontOptionStack.styleStartUp();
        } catch (...) {
            // A settings store that cannot be written (no settings folder) must not leave the entries
            // without style tags: the default pieces are constants and need no store.
            m_fontOptionStack.current().UseDefaultStyle();
            throw;
        }
    });
}

void MainController::FormResize()
{
    m_ports.player.fitDisplay(0, 0, m_ports.view.videoPanelWidth(), m_ports.view.videoPanelHeight());
}

void MainController::FormClose()
{
    m_fileSet.flushSaves();
    m_ports.player.release();
    for (const HotKey key : m_registeredHotKeys)
        m_ports.hotKeys.unregisterKey(key);
    m_registeredHotKeys.clear();
}

// The tick changes no document, so it takes no part in saving.
void MainController::Timer1Timer()
{
    m_ports.player.processEvents();
    m_clock.Timer1Timer();
    m_overlay.show([this] { return m_ports.player.currentPosition(); });
}

void MainController::OpenButtonClick()
{
    action([&] { m_fileSet.OpenButtonClick(); });
}

void MainController::openVideo(const std::string& path)
{
    action([&] { m_fileSet.openVideo(path); });
}

void MainController::videoFailed(const std::string& reason)
{
    action([&] { m_fileSet.videoFailed(reason); });
}

void MainController::StartTimeButtonClick()
{
    action([&] { m_cycle.StartTimeButtonClick(); });
}

void MainController::EndTimeButtonClick()
{
    action([&] { m_cycle.EndTimeButtonClick(); });
}

void MainController::InputEditKeyDown(int key)
{
    action([&] { m_cycle.InputEditKeyDown(key); });
}

void MainController::EditButtonClick()
{
    action([&] { m_editMode.EditButtonClick(); });
}

void MainController::ContinueButtonClick()
{
    action([&] { m_editMode.ContinueButtonClick(); });
}

void MainController::BitBtn1Click()
{
    action([&] { m_fontOptionStack.BitBtn1Click(); });
}

void MainController::HotKeyPressed(HotKey key)
{
    action([&] {
        switch (key) {
        case HotKey::F9:
            if (m_ports.view.isEnabled(Control::StartTimeButton)) {
                m_cycle.StartTimeButtonClick();
                m_ports.view.setFocus(Control::StartTimeButton);
            } else if (!m_fileSet.canCapture()) {
                m_fileSet.explainNoCapture();
            }
            break;
        case HotKey::F10:
            if (m_ports.view.isEnabled(Control::EndTimeButton))
                m_cycle.EndTimeButtonClick();
            else if (!m_fileSet.canCapture())
                m_fileSet.explainNoCapture();
            break;
        case HotKey::F7:
            m_editMode.EditButtonClick();
            break;
        case HotKey::F8:
            m_editMode.ContinueButtonClick();
            break;
        }
    });
}

void MainController::loadReactionOffset()
{
    try {
        m_cycle.setReactionOffset(
            parseReactionOffset(m_ports.settings.readValue(std::string(kReactionOffsetSetting))));
    } catch (const std::exception&) {
        // An unreadable value is no offset; the style start-up below reports the unreadable store.
        m_cycle.setReactionOffset(0);
    }
    showHotKeyFooter();
}

void MainController::fasterPlayback()
{
    action([&] {
        m_timingAids.faster();
        showHotKeyFooter();
    });
}

void MainController::slowerPlayback()
{
    action([&] {
        m_timingAids.slower();
        showHotKeyFooter();
    });
}

void MainController::normalPlayback()
{
    action([&] {
        m_timingAids.normalSpeed();
        showHotKeyFooter();
    });
}

void MainController::seekBy(double seconds)
{
    action([&] { m_timingAids.seekBy(seconds); });
}

void MainController::togglePlayback()
{
    action([&] { m_timingAids.togglePause(); });
}

void MainController::timingDialog()
{
    action([&] {
        const std::optional<int> chosen = m_ports.dialogs.askReactionOffset(m_cycle.reactionOffset());
        if (!chosen)
            return;
        const int offset = std::clamp(*chosen, 0, kMaxReactionOffsetMs);
        // In force at once, even when the settings file cannot keep it (the error tells the user).
        m_cycle.setReactionOffset(offset);
        showHotKeyFooter();
        try {
            m_ports.settings.writeValue(std::string(kReactionOffsetSetting), std::to_string(offset));
        } catch (const std::exception&) {
            throw Error("Failed to set data for '" + std::string(kReactionOffsetSetting) + "'");
        }
    });
}

void MainController::plainUndo()
{
    action([&] { m_editMode.undoPlainEdit(); });
}

void MainController::plainRedo()
{
    action([&] { m_editMode.redoPlainEdit(); });
}

} // namespace vantor
