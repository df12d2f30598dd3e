#pragma once

#include "FakeMainView.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantor {
class MainController;
}

namespace vantor::fuzz {

// The main window's plain view as the core meets it: TForm1's key filter and line mirror in front of a
// QPlainTextEdit, modelled on their code. It holds the view's own text (UTF-16 blocks, as the widget
// holds them), its caret and selection and its read-only state, and sends the core exactly the calls the
// window sends:
// - every key press and release goes through TForm1::plainKeyEvent: Enter is swallowed, an editing key
//   over a selection that spans lines is swallowed, and anything else asks UserRichEditKeyDown (with the
//   key code TForm1::filterKeyCode makes of the Qt key) whether to discard the key;
// - a key that is not discarded acts as in QWidgetTextControl: caret keys move only while the view is
//   editable, editing keys change the text only then, Select All and Copy work always;
// - mouse presses and releases move the caret (left button) and then call UserRichEditMouseDown;
// - context-menu actions and input-method text reach the widget without passing the key filter;
// - pasted text has its line breaks turned into blanks (PlainTextView::insertFromMimeData);
// - a change of the text goes to PlainLineEdited for its line, unless the number of lines no longer
//   matches the plain document, in which case the view is shown afresh (refreshPlainView).
class PlainViewModel : public test::FakeMainView {
public:
    enum class Key {
        Backspace,
        Delete,
        WordBackspace, // Ctrl+Backspace
        WordDelete, // Ctrl+Delete
        Left,
        Right,
        Up,
        Down,
        Home,
        End,
        DocumentStart, // Ctrl+Home
        DocumentEnd, // Ctrl+End
        SelectAll,
        Copy,
        Cut,
        Paste,
        Tab,
        Enter,
    };
    enum class MenuAction { Cut, Copy, Paste, Delete, SelectAll };

    void attach(MainController& controller) { m_controller = &controller; }

    // Called around each PlainLineEdited the view sends, with the line's index.
    std::function<void(std::size_t)> beforeLineEdited;
    std::function<void(std::size_t)> afterLineEdited;

    // The user's actions. Nothing happens while the view is hidden.
    void pressKey(Key key, bool shift = false);
    // A key that types `text` (printable, one character); `code` is the key's code as the window's keyCode()
    // gives it (keys::kNone for an input method's characters).
    void typeText(const std::u16string& text, int code);
    void click(std::size_t line, std::size_t column, bool shift = false);
    void drag(std::size_t fromLine, std::size_t fromColumn, std::size_t toLine, std::size_t toColumn);
    void contextMenu(MenuAction action);
    void commitInputMethod(const std::u16string& text);
    // Text put on the clipboard by another program; nullopt: the clipboard holds no text.
    void setClipboard(std::optional<std::u16string> text) { m_clipboard = std::move(text); }

    // The view's state.
    std::size_t blockCount() const;
    std::u16string blockText(std::size_t block) const;
    // Every block's text, in order.
    std::vector<std::u16string> blocks() const;
    std::size_t mirroredLineCount() const { return m_lineCount; }
    bool readOnly() const { return m_readOnly; }
    bool hasSelection() const { return m_anchor != m_position; }
    // Counts every change of the view's text, whoever made it.
    std::size_t textVersion() const { return m_textVersion; }

    // How often an erasing key that would join two lines got past the core's filter, and how often the
    // view had to be shown afresh.
    int joiningKeysPassed = 0;
    int refreshes = 0;
    // Edits TForm1 does not pass on although the view's text changed: typed while the plain document is
    // empty, or across lines with as many line breaks put in as taken out. The view then shows text the
    // plain document does not hold.
    int editsLost = 0;
    int editsSent = 0;
    // Failures the window would have shown in its error box.
    int errorsReported = 0;

    // MainView: the plain view part.
    void plainViewReset(const std::vector<std::string>& lines) override;
    void plainViewInsertLine(std::size_t index, const std::string& line) override;
    void plainViewRemoveLine(std::size_t index) override;
    void plainViewReplaceLine(std::size_t index, const std::string& line) override;
    void plainCaretToEnd() override;
    int plainSelectionStartLine() const override;
    int plainCaretColumn() const override;
    void setPlainReadOnly(bool readOnly) override { m_readOnly = readOnly; }

private:
    struct Block {
        bool valid;
        std::size_t position;
        std::size_t length; // with the block's separator, as QTextBlock::length counts it
    };
    Block block(std::size_t number) const;
    std::size_t blockOf(std::size_t position) const;
    std::size_t blockStart(std::size_t position) const;
    std::size_t blockEnd(std::size_t position) const;
    std::size_t positionAt(std::size_t line, std::size_t column) const;
    std::size_t nextCharacter(std::size_t position) const;
    std::size_t previousCharacter(std::size_t position) const;
    std::size_t nextWord(std::size_t position) const;
    std::size_t previousWord(std::size_t position) const;
    std::u16string selectedText() const;

    // Document edits as QTextCursor makes them; every cursor moves as Qt moves it.
    std::size_t insertAt(std::size_t position, std::u16string_view text);
    void removeRange(std::size_t from, std::size_t to);
    // The user's edit at the view's own cursor: the selection goes, `text` comes in its place.
    void replaceSelection(std::u16string_view text);
    void removeSelection();
    void userEdit(const std::function<bool()>& edit);
    void contentsChanged(std::size_t position);

    void guarded(const std::function<void()>& call);
    bool keyFilter(int code, bool keyUp);
    void moveCaret(std::size_t position, bool keepAnchor);

    MainController* m_controller = nullptr;
    std::u16string m_text; // the blocks joined by u'\n'
    std::size_t m_anchor = 0;
    std::size_t m_position = 0;
    std::size_t m_lineCount = 0; // TForm1::m_plainLineCount
    std::size_t m_textVersion = 0;
    bool m_readOnly = false;
    bool m_mirroring = false;
    std::size_t m_changeFrom = 0;
    bool m_changed = false;
    bool m_changedBreaks = false; // the edit took out or put in a line break
    std::optional<std::u16string> m_clipboard;
};

} // namespace vantor::fuzz
