#include "PlainViewModel.h"

#include "FuzzOracles.h"
#include "MainController.h"

#include <algorithm>
#include <exception>

namespace vantor::fuzz {

namespace {

// The window's keyCode(): each key's own code, as the key filter receives it.
int filterCode(PlainViewModel::Key key)
{
    using Key = PlainViewModel::Key;
    switch (key) {
    case Key::Backspace:
    case Key::WordBackspace:
        return keys::kBackspace;
    case Key::Delete:
    case Key::WordDelete:
        return keys::kDelete;
    case Key::Left:
        return keys::kLeft;
    case Key::Right:
        return keys::kRight;
    case Key::Up:
        return keys::kUp;
    case Key::Down:
        return keys::kDown;
    case Key::Home:
    case Key::DocumentStart:
        return keys::kHome;
    case Key::End:
    case Key::DocumentEnd:
        return keys::kEnd;
    case Key::SelectAll:
        return 'A';
    case Key::Copy:
        return 'C';
    case Key::Cut:
        return 'X';
    case Key::Paste:
        return 'V';
    case Key::Tab:
        return keys::kTab;
    case Key::Enter:
        return keys::kEnter;
    }
    return 0;
}

// TForm1's editsText: Cut, Paste, Backspace, Delete and keys whose text starts with a printable character.
bool editsText(PlainViewModel::Key key)
{
    using Key = PlainViewModel::Key;
    return key == Key::Cut || key == Key::Paste || key == Key::Backspace || key == Key::Delete
        || key == Key::WordBackspace || key == Key::WordDelete;
}

bool isPrintable(char16_t c)
{
    return c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0) && !(c >= 0xD800 && c <= 0xDFFF);
}

bool isSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

// PlainTextView::insertFromMimeData: "\r\n", "\r", "\n", U+2028 and U+2029 each become one blank.
std::u16string withoutLineBreaks(std::u16string_view text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            out += u' ';
            ++i;
        } else if (c == u'\r' || c == u'\n' || c == u'\u2028' || c == u'\u2029') {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::size_t PlainViewModel::blockCount() const
{
    return static_cast<std::size_t>(std::count(m_text.begin(), m_text.end(), u'\n')) + 1;
}

PlainViewModel::Block PlainViewModel::block(std::size_t number) const
{
    std::size_t start = 0;
    for (std::size_t n = 0; n < number; ++n) {
        const auto separator = m_text.find(u'\n', start);
        if (separator == std::u16string::npos)
            return { false, 0, 0 };
        start = separator + 1;
    }
    const auto separator = m_text.find(u'\n', start);
    const std::size_t end = separator == std::u16string::npos ? m_text.size() : separator;
    return { true, start, end - start + 1 };
}

std::u16string PlainViewModel::blockText(std::size_t number) const
{
    const Block b = block(number);
    return b.valid ? m_text.substr(b.position, b.length - 1) : std::u16string();
}

std::vector<std::u16string> PlainViewModel::blocks() const
{
    std::vector<std::u16string> out;
    std::size_t start = 0;
    while (true) {
        const auto separator = m_text.find(u'\n', start);
        out.push_back(m_text.substr(
            start, separator == std::u16string::npos ? std::u16string::npos : separator - start));
        if (separator == std::u16string::npos)
            return out;
        start = separator + 1;
    }
}

std::size_t PlainViewModel::blockOf(std::size_t position) const
{
    return static_cast<std::size_t>(std::count(m_text.begin(), m_text.begin() + position, u'\n'));
}

std::size_t PlainViewModel::blockStart(std::size_t position) const
{
    const auto separator = position == 0 ? std::u16string::npos : m_text.rfind(u'\n', position - 1);
    return separator == std::u16string::npos ? 0 : separator + 1;
}

std::size_t PlainViewModel::blockEnd(std::size_t position) const
{
    const auto separator = m_text.find(u'\n', position);
    return separator == std::u16string::npos ? m_text.size() : separator;
}

std::size_t PlainViewModel::positionAt(std::size_t line, std::size_t column) const
{
    const Block b = block(std::min(line, blockCount() - 1));
    std::size_t position = b.position + std::min(column, b.length - 1);
    // A click never lands between the two halves of a surrogate pair.
    if (position > b.position && m_text[position - 1] >= 0xD800 && m_text[position - 1] <= 0xDBFF)
        --position;
    return position;
}

std::size_t PlainViewModel::nextCharacter(std::size_t position) const
{
    if (position >= m_text.size())
        return m_text.size();
    const char16_t c = m_text[position];
    if (c >= 0xD800 && c <= 0xDBFF && position + 1 < m_text.size() && m_text[position + 1] >= 0xDC00
        && m_text[position + 1] <= 0xDFFF)
        return position + 2;
    return position + 1;
}

std::size_t PlainViewModel::previousCharacter(std::size_t position) const
{
    if (position == 0)
        return 0;
    const char16_t c = m_text[position - 1];
    if (c >= 0xDC00 && c <= 0xDFFF && position >= 2 && m_text[position - 2] >= 0xD800
        && m_text[position - 2] <= 0xDBFF)
        return position - 2;
    return position - 1;
}

// QTextCursor::NextWord / PreviousWord as far as it matters here: within a line they stop at a word
// boundary of that line; at the line's end (start) they go on to the next (previous) line.
std::size_t PlainViewModel::nextWord(std::size_t position) const
{
    const std::size_t end = blockEnd(position);
    if (position == end)
        return std::min(position + 1, m_text.size());
    std::size_t p = position;
    while (p < end && !isSpace(m_text[p]))
        ++p;
    while (p < end && isSpace(m_text[p]))
        ++p;
    return p;
}

std::size_t PlainViewModel::previousWord(std::size_t position) const
{
    const std::size_t start = blockStart(position);
    if (position == start)
        return position == 0 ? 0 : position - 1;
    std::size_t p = position;
    while (p > start && isSpace(m_text[p - 1]))
        --p;
    while (p > start && !isSpace(m_text[p - 1]))
        --p;
    return p;
}

std::u16string PlainViewModel::selectedText() const
{
    const auto [from, to] = std::minmax(m_anchor, m_position);
    return m_text.substr(from, to - from);
}

std::size_t PlainViewModel::insertAt(std::size_t position, std::u16string_view text)
{
    // QTextCursor::insertText: "\r\n", "\r", "\n", U+2029 and the frame marks U+FDD0 and U+FDD1 each start
    // a new block.
    std::u16string converted;
    converted.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i, c = u'\n';
        if (c == u'\r' || c == u'\u2029' || c == u'\uFDD0' || c == u'\uFDD1')
            c = u'\n';
        converted += c;
    }
    if (converted.empty())
        return 0;
    if (!m_mirroring && converted.find(u'\n') != std::u16string::npos)
        m_changedBreaks = true;
    m_text.insert(position, converted);
    ++m_textVersion;
    // Every cursor at or after the insertion point moves on (no cursor keeps its position on insert).
    for (std::size_t* cursor : { &m_anchor, &m_position }) {
        if (*cursor >= position)
            *cursor += converted.size();
    }
    if (!m_mirroring) {
        m_changeFrom = m_changed ? std::min(m_changeFrom, position) : position;
        m_changed = true;
    }
    return converted.size();
}

void PlainViewModel::removeRange(std::size_t from, std::size_t to)
{
    if (to <= from)
        return;
    if (!m_mirroring && m_text.find(u'\n', from) < to)
        m_changedBreaks = true;
    m_text.erase(from, to - from);
    ++m_textVersion;
    for (std::size_t* cursor : { &m_anchor, &m_position }) {
        if (*cursor >= to)
            *cursor -= to - from;
        else if (*cursor > from)
            *cursor = from;
    }
    if (!m_mirroring) {
        m_changeFrom = m_changed ? std::min(m_changeFrom, from) : from;
        m_changed = true;
    }
}

void PlainViewModel::removeSelection()
{
    const auto [from, to] = std::minmax(m_anchor, m_position);
    removeRange(from, to);
}

void PlainViewModel::replaceSelection(std::u16string_view text)
{
    removeSelection();
    insertAt(m_position, text);
    m_anchor = m_position;
}

void PlainViewModel::userEdit(const std::function<bool()>& edit)
{
    m_changed = m_changedBreaks = false;
    if (edit() && m_changed)
        contentsChanged(m_changeFrom);
    m_changed = m_changedBreaks = false;
}

// TForm1::onPlainContentsChange.
void PlainViewModel::contentsChanged(std::size_t position)
{
    if (m_mirroring || !m_controller)
        return;
    if (blockCount() != std::max<std::size_t>(1, m_lineCount)) {
        ++refreshes;
        guarded([this] { m_controller->refreshPlainView(); });
        return;
    }
    if (m_lineCount == 0) {
        ++editsLost;
        return;
    }
    if (m_changedBreaks)
        ++editsLost;
    const std::size_t index = blockOf(position);
    const std::string text = utf8FromUtf16(blockText(index));
    if (beforeLineEdited)
        beforeLineEdited(index);
    ++editsSent;
    guarded([&] { m_controller->PlainLineEdited(index, text); });
    if (afterLineEdited)
        afterLineEdited(index);
}

void PlainViewModel::guarded(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::exception&) {
        ++errorsReported;
    }
}

bool PlainViewModel::keyFilter(int code, bool keyUp)
{
    bool discard = false;
    guarded([&] { discard = m_controller->UserRichEditKeyDown(code, keyUp); });
    return discard;
}

void PlainViewModel::moveCaret(std::size_t position, bool keepAnchor)
{
    m_position = position;
    if (!keepAnchor)
        m_anchor = position;
}

void PlainViewModel::pressKey(Key key, bool shift)
{
    if (!m_controller || !isVisible(Control::UserRichEdit))
        return;
    const int code = filterCode(key);
    // TForm1::plainKeyEvent on the key press.
    bool swallowed = key == Key::Enter;
    if (!swallowed && hasSelection() && editsText(key)
        && blockOf(std::min(m_anchor, m_position)) != blockOf(std::max(m_anchor, m_position)))
        swallowed = true;
    if (!swallowed && !keyFilter(code, false)) {
        const bool erasing = key == Key::Backspace || key == Key::Delete || key == Key::WordBackspace
            || key == Key::WordDelete;
        if (erasing && !hasSelection() && !m_readOnly) {
            const bool backwards = key == Key::Backspace || key == Key::WordBackspace;
            const bool joins = backwards ? m_position == blockStart(m_position) && m_position > 0
                                         : m_position == blockEnd(m_position) && m_position < m_text.size();
            if (joins)
                ++joiningKeysPassed;
        }
        // QWidgetTextControl::keyPressEvent.
        switch (key) {
        case Key::SelectAll:
            m_anchor = 0;
            m_position = m_text.size();
            break;
        case Key::Copy:
            if (hasSelection())
                m_clipboard = selectedText();
            break;
        case Key::Left:
        case Key::Right:
        case Key::Up:
        case Key::Down:
        case Key::Home:
        case Key::End:
        case Key::DocumentStart:
        case Key::DocumentEnd:
            if (m_readOnly)
                break; // a read-only view does not move its caret by keys
            if (key == Key::Left)
                moveCaret(
                    hasSelection() && !shift ? std::min(m_anchor, m_position) : previousCharacter(m_position),
                    shift);
            else if (key == Key::Right)
                moveCaret(
                    hasSelection() && !shift ? std::max(m_anchor, m_position) : nextCharacter(m_position),
                    shift);
            else if (key == Key::Home)
                moveCaret(blockStart(m_position), shift);
            else if (key == Key::End)
                moveCaret(blockEnd(m_position), shift);
            else if (key == Key::DocumentStart)
                moveCaret(0, shift);
            else if (key == Key::DocumentEnd)
                moveCaret(m_text.size(), shift);
            else {
                const std::size_t line = blockOf(m_position);
                const std::size_t column = m_position - blockStart(m_position);
                if (key == Key::Up && line > 0)
                    moveCaret(positionAt(line - 1, column), shift);
                else if (key == Key::Down && line + 1 < blockCount())
                    moveCaret(positionAt(line + 1, column), shift);
            }
            break;
        default:
            if (m_readOnly)
                break; // editing keys do nothing in a read-only view
            userEdit([&] {
                switch (key) {
                case Key::Backspace:
                    if (hasSelection())
                        removeSelection();
                    else
                        removeRange(previousCharacter(m_position), m_position);
                    return true;
                case Key::Delete:
                    if (hasSelection())
                        removeSelection();
                    else
                        removeRange(m_position, nextCharacter(m_position));
                    return true;
                case Key::WordBackspace:
                    if (!hasSelection())
                        m_position = previousWord(m_position);
                    removeSelection();
                    return true;
                case Key::WordDelete:
                    if (!hasSelection())
                        m_position = nextWord(m_position);
                    removeSelection();
                    return true;
                case Key::Cut:
                    if (!hasSelection())
                        return false;
                    m_clipboard = selectedText();
                    removeSelection();
                    return true;
                case Key::Paste:
                    if (!m_clipboard)
                        return false;
                    replaceSelection(withoutLineBreaks(*m_clipboard));
                    return true;
                case Key::Tab:
                    replaceSelection(u"\t");
                    return true;
                default:
                    return false;
                }
            });
            break;
        }
    }
    // The release goes to the filter too; what it answers does not matter any more.
    keyFilter(code, true);
}

void PlainViewModel::typeText(const std::u16string& text, int code)
{
    if (!m_controller || !isVisible(Control::UserRichEdit) || text.empty())
        return;
    const bool edits = isPrintable(text.front());
    const bool acrossLines = hasSelection()
        && blockOf(std::min(m_anchor, m_position)) != blockOf(std::max(m_anchor, m_position));
    if (!(edits && acrossLines) && !keyFilter(code, false) && !m_readOnly) {
        // QInputControl::isAcceptableInput: a printable character, a whole surrogate pair or a tab.
        const bool pair = text.size() > 1 && text[0] >= 0xD800 && text[0] <= 0xDBFF && text[1] >= 0xDC00
            && text[1] <= 0xDFFF;
        if (isPrintable(text.front()) || pair || text.front() == u'\t')
            userEdit([&] {
                replaceSelection(text);
                return true;
            });
    }
    keyFilter(code, true);
}

void PlainViewModel::click(std::size_t line, std::size_t column, bool shift)
{
    if (!m_controller || !isVisible(Control::UserRichEdit))
        return;
    moveCaret(positionAt(line, column), shift);
    guarded([this] { m_controller->UserRichEditMouseDown(); }); // press
    guarded([this] { m_controller->UserRichEditMouseDown(); }); // release
}

void PlainViewModel::drag(
    std::size_t fromLine, std::size_t fromColumn, std::size_t toLine, std::size_t toColumn)
{
    if (!m_controller || !isVisible(Control::UserRichEdit))
        return;
    moveCaret(positionAt(fromLine, fromColumn), false);
    guarded([this] { m_controller->UserRichEditMouseDown(); });
    moveCaret(positionAt(toLine, toColumn), true);
    guarded([this] { m_controller->UserRichEditMouseDown(); });
}

void PlainViewModel::contextMenu(MenuAction action)
{
    if (!m_controller || !isVisible(Control::UserRichEdit))
        return;
    // The right button moves no caret; the menu opens on the press and takes the release.
    guarded([this] { m_controller->UserRichEditMouseDown(); });
    switch (action) {
    case MenuAction::Copy:
        if (hasSelection())
            m_clipboard = selectedText();
        return;
    case MenuAction::SelectAll:
        m_anchor = 0;
        m_position = m_text.size();
        return;
    default:
        break;
    }
    if (m_readOnly)
        return; // Cut, Paste and Delete are disabled in a read-only view
    userEdit([&] {
        switch (action) {
        case MenuAction::Cut:
            if (!hasSelection())
                return false;
            m_clipboard = selectedText();
            removeSelection();
            return true;
        case MenuAction::Delete:
            if (!hasSelection())
                return false;
            removeSelection();
            return true;
        case MenuAction::Paste:
            if (!m_clipboard)
                return false;
            replaceSelection(withoutLineBreaks(*m_clipboard));
            return true;
        default:
            return false;
        }
    });
}

void PlainViewModel::commitInputMethod(const std::u16string& text)
{
    // An input method's text goes straight to the widget: no key event, no filter, no caret sync. A
    // read-only view takes no input method.
    if (!m_controller || !isVisible(Control::UserRichEdit) || m_readOnly)
        return;
    userEdit([&] {
        replaceSelection(text);
        return true;
    });
}

void PlainViewModel::plainViewReset(const std::vector<std::string>& lines)
{
    // QPlainTextEdit::setPlainText: the new text, and a fresh cursor at its start.
    m_mirroring = true;
    std::u16string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            joined += u'\n';
        joined += utf16FromUtf8(lines[i]);
    }
    m_text.clear();
    ++m_textVersion;
    insertAt(0, joined);
    m_anchor = m_position = 0;
    m_lineCount = lines.size();
    m_mirroring = false;
}

void PlainViewModel::plainViewInsertLine(std::size_t index, const std::string& line)
{
    m_mirroring = true;
    const std::u16string text = utf16FromUtf8(line);
    if (m_lineCount == 0) {
        insertAt(0, text);
    } else if (index >= m_lineCount) {
        insertAt(m_text.size(), u"\n" + text);
    } else {
        const Block b = block(index);
        insertAt(b.valid ? b.position : 0, text + u"\n");
    }
    ++m_lineCount;
    m_mirroring = false;
}

void PlainViewModel::plainViewRemoveLine(std::size_t index)
{
    const Block b = block(index);
    if (!b.valid || m_lineCount == 0)
        return;
    m_mirroring = true;
    if (m_lineCount <= 1) {
        removeRange(0, m_text.size());
    } else if (index + 1 >= m_lineCount) {
        const Block previous = index > 0 ? block(index - 1) : Block { false, 0, 0 };
        const std::size_t from = previous.valid ? previous.position + previous.length - 1 : 0;
        const std::size_t to = b.position + b.length - 1;
        removeRange(std::min(from, to), std::max(from, to));
    } else {
        const Block next = block(index + 1);
        const std::size_t to = next.valid ? next.position : 0;
        removeRange(std::min(b.position, to), std::max(b.position, to));
    }
    --m_lineCount;
    m_mirroring = false;
}

void PlainViewModel::plainViewReplaceLine(std::size_t index, const std::string& line)
{
    const Block b = block(index);
    if (!b.valid)
        return;
    const std::u16string text = utf16FromUtf8(line);
    if (m_text.compare(b.position, b.length - 1, text) == 0)
        return;
    m_mirroring = true;
    removeRange(b.position, b.position + b.length - 1);
    insertAt(b.position, text);
    m_mirroring = false;
}

void PlainViewModel::plainCaretToEnd()
{
    m_anchor = m_position = m_text.size();
}

int PlainViewModel::plainSelectionStartLine() const
{
    return static_cast<int>(blockOf(std::min(m_anchor, m_position)));
}

int PlainViewModel::plainCaretColumn() const
{
    return static_cast<int>(m_position - blockStart(m_position));
}

} // namespace vantor::fuzz
