#include "MainController.h"

#include "capture/HotKeyFooter.h"

#include <algorithm>

namespace vantor {

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
    m_documents.FormattedDocument.setChangeHandler([this] { m_fileSet.TempRichEditChange(); });
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
    // A load rewrites the plain document several times; the view is filled once, when the action ends.
    if (m_session.Loading || m_plainViewStale) {
        m_plainViewStale = true;
        return;
    }
    MainView& view = m_ports.view;
    const TextDocument& plain = m_documents.PlainDocument;
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
    m_ports.view.setText(Control::Label3,
        hotKeyFooter(m_ports.hotKeys.route(), m_refusedHotKeys, m_ports.hotKeys.answerPending()));
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

} // namespace vantor
