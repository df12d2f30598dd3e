// Edit mode: a subtitle file is loaded for editing, and the user works in the plain view (keys, Chinese
// text, pastes, selections, the mouse, an input method) and presses F7 to F10 and Enter. Input: a byte
// choosing a sample file (or two length bytes and the file's own bytes), then one operation after another.
//
// After every edit the view sends, both documents keep their number of lines and only the edited line
// changes, in both documents; a time line changes, in the formatted document, wherever its previous text
// stood. After every operation both files hold their documents and the view shows the plain document.
#include "FuzzInput.h"
#include "FuzzRig.h"
#include "SampleDocuments.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace vantor::fuzz {
namespace {

using Key = PlainViewModel::Key;

// Operations per input, bounded so that one run stays short.
constexpr int kMostOperations = 32;

// Characters a user types: GBK ones (€ is the single byte 0x80 there; 皚 ends in the byte of "}") and
// some a GBK file cannot hold (한, 😀).
const std::u16string kTyped[] = { u"你", u"好", u"世", u"界", u"字", u"幕", u"黑", u"体", u"皚", u"。", u"！",
    u"·", u"€", u"한", u"\U0001F600", u"\u3000", u"Ａ" };

// What other programs leave on the clipboard: line breaks of every kind, tags, time lines.
const std::u16string kClipboard[] = { u"abc", u"a\r\nb", u"x\ny", u"\r", u"你好\r\n世界",
    u"00:00:01,000 --> 00:00:02,000", u"line\u2028sep", u"para\u2029graph", u"<b>bold</b>", u"{\\an8}",
    u"mark\uFDD0frame", u"-->", u"\t" };

// Texts typed into the input field before Enter.
const char* const kEntries[] = { "Hello", "你好，世界", "a.b", "<b>x", "😀", "{\\an8}top" };

struct Snapshot {
    std::vector<std::string> formatted;
    std::vector<std::string> plain;
    std::string previous; // the caret line's text as last taken
};

class EditDriver {
public:
    EditDriver(FuzzInput& input)
        : m_input(input)
    {
    }

    void run()
    {
        m_rig.start();
        const std::uint8_t choice = m_input.byte();
        std::string file;
        if (choice < 0xC0) {
            file = sampleFile(choice, m_rig.codec);
        } else {
            const std::size_t length = m_input.byte() | (m_input.byte() << 8);
            file = m_input.bytes(length % 2048);
        }
        m_rig.files.files[kFormattedPath] = file;
        m_rig.open(true);
        m_formattedLoaded = m_rig.formatted().text();
        m_plainLoaded = m_rig.plain().text();
        m_rig.view.beforeLineEdited = [this](std::size_t) {
            m_beforeEdit.formatted = m_rig.formatted().lines();
            m_beforeEdit.plain = m_rig.plain().lines();
            m_beforeEdit.previous = m_rig.controller.session().SelectedLineText;
        };
        m_rig.view.afterLineEdited = [this](std::size_t index) { checkEdit(index); };
        // The first tick resumes playback at the last entry's end, as after any load.
        m_rig.guarded([&] { m_rig.controller.Timer1Timer(); });
        checkAfterOperation();

        for (int operations = 0; operations < kMostOperations && !m_input.empty(); ++operations) {
            // The state before the operation, copied into the same buffers each time.
            m_before.formatted = m_rig.formatted().lines();
            m_before.plain = m_rig.plain().lines();
            const int editsBefore = m_rig.view.editsSent;
            const std::size_t viewBefore = m_rig.view.textVersion();
            // The fakes' records of calls would grow with every operation; nothing here reads them.
            m_rig.player.calls.clear();
            m_rig.player.seeks.clear();
            const std::size_t code = m_input.below(26);
            const bool appended = operate(code);
            if (m_trace)
                trace(code);
            bool changed = true;
            if (appended) {
                checkAppend(m_before);
            } else if (code >= 24) {
                checkHistoryStep(m_before);
            } else if (m_rig.view.editsSent == editsBefore) {
                check(m_rig.formatted().lines() == m_before.formatted
                        && m_rig.plain().lines() == m_before.plain,
                    "an operation without an edit changes neither document");
                changed = false;
            }
            // Unchanged documents and no write since the last check: the files still hold the documents,
            // and an unchanged view still shows the plain document.
            const bool wrote = m_rig.takeWrites();
            if (changed || wrote)
                m_rig.checkFiles(m_formattedLoaded, m_plainLoaded);
            if (changed || m_rig.view.textVersion() != viewBefore)
                m_rig.checkViewMirrorsPlain();
            checkKeyFilter();
        }
    }

private:
    std::u16string typedText() { return kTyped[m_input.below(std::size(kTyped))]; }

    // One operation; true when it was an Enter in the input field.
    bool operate(std::size_t code)
    {
        PlainViewModel& view = m_rig.view;
        switch (code) {
        case 0: {
            const char c = static_cast<char>(0x20 + m_input.below(95));
            view.typeText(std::u16string(1, static_cast<char16_t>(c)), keys::keyOfCharacter(c));
            break;
        }
        case 1: {
            // Keys beyond ASCII (a European layout's letters, an input method's characters) have no code.
            view.typeText(typedText(), keys::kNone);
            break;
        }
        case 2: {
            std::u16string text;
            for (std::size_t n = 1 + m_input.below(3); n > 0; --n)
                text += m_input.flag() ? typedText()
                                       : std::u16string(1, static_cast<char16_t>(0x21 + m_input.below(94)));
            if (m_input.below(8) == 0)
                text += m_input.flag() ? u"\n" : u"\u2029";
            view.commitInputMethod(text);
            break;
        }
        case 3:
            view.pressKey(Key::Backspace);
            break;
        case 4:
            view.pressKey(Key::Delete);
            break;
        case 5:
            view.pressKey(Key::WordBackspace);
            break;
        case 6:
            view.pressKey(Key::WordDelete);
            break;
        case 7: {
            static constexpr Key moves[] = { Key::Left, Key::Right, Key::Up, Key::Down, Key::Home, Key::End,
                Key::DocumentStart, Key::DocumentEnd };
            const std::uint8_t b = m_input.byte();
            view.pressKey(moves[b % 8], b & 8);
            break;
        }
        case 8: {
            const std::size_t line = m_input.byte();
            view.click(line, m_input.below(40), m_input.below(4) == 0);
            break;
        }
        case 9: {
            const std::size_t fromLine = m_input.byte();
            const std::size_t fromColumn = m_input.below(40);
            const std::size_t toLine = m_input.byte();
            view.drag(fromLine, fromColumn, toLine, m_input.below(40));
            break;
        }
        case 10:
            view.pressKey(Key::SelectAll);
            break;
        case 11:
            view.pressKey(Key::Copy);
            break;
        case 12:
            view.pressKey(Key::Cut);
            break;
        case 13:
            view.pressKey(Key::Paste);
            break;
        case 14:
            view.setClipboard(kClipboard[m_input.below(std::size(kClipboard))]);
            break;
        case 15:
            view.contextMenu(static_cast<PlainViewModel::MenuAction>(m_input.below(5)));
            break;
        case 16:
            view.pressKey(Key::Tab);
            break;
        case 17:
            view.pressKey(Key::Enter);
            break;
        case 18:
            m_rig.hotKeys.press(HotKey::F7);
            break;
        case 19:
            m_rig.hotKeys.press(HotKey::F8);
            break;
        case 20:
            m_rig.player.position = m_input.byte() * 0.25;
            m_rig.hotKeys.press(HotKey::F9);
            break;
        case 21:
            m_rig.player.position = m_input.byte() * 0.25;
            m_rig.hotKeys.press(HotKey::F10);
            break;
        case 22:
            m_rig.player.position += m_input.below(16) * 0.01;
            m_rig.guarded([&] { m_rig.controller.Timer1Timer(); });
            break;
        case 23:
            m_rig.view.setText(Control::InputEdit, kEntries[m_input.below(std::size(kEntries))]);
            m_rig.guarded([&] { m_rig.controller.InputEditKeyDown(keys::kEnter); });
            return true;
        case 24:
            m_rig.guarded([&] { m_rig.controller.plainUndo(); });
            break;
        case 25:
            m_rig.guarded([&] { m_rig.controller.plainRedo(); });
            break;
        }
        return false;
    }

    // An undo or redo: like an edit it keeps the number of lines of both documents and changes at most one
    // line of the plain document.
    void checkHistoryStep(const Snapshot& before)
    {
        const auto& plain = m_rig.plain().lines();
        check(m_rig.formatted().lines().size() == before.formatted.size()
                && plain.size() == before.plain.size(),
            "an undo or redo keeps the number of lines of both documents");
        std::size_t changedLines = 0;
        for (std::size_t j = 0; j < plain.size(); ++j)
            changedLines += plain[j] != before.plain[j];
        check(changedLines <= 1, "an undo or redo changes at most one line of the plain document");
    }

    // One edit the view sent for line `index`. The plain document changes in that line only. The formatted
    // document follows the caret's line, which is the edited line unless the view let an edit through that
    // took out and put in a line break (TForm1 compares only the number of lines).
    void checkEdit(std::size_t index)
    {
        const Snapshot& before = m_beforeEdit;
        const auto& formatted = m_rig.formatted().lines();
        const auto& plain = m_rig.plain().lines();
        check(formatted.size() == before.formatted.size() && plain.size() == before.plain.size(),
            "an edit keeps the number of lines of both documents");
        for (std::size_t j = 0; j < plain.size(); ++j) {
            if (j != index && plain[j] != before.plain[j])
                failInvariant(
                    "an edit changes only its own line of the plain document", "line " + std::to_string(j));
        }
        if (index >= plain.size() || plain[index] == before.plain[index]) {
            check(formatted == before.formatted,
                "an edit that changes no plain line changes no formatted line");
            return;
        }
        const auto caret = static_cast<std::size_t>(m_rig.view.plainSelectionStartLine());
        check(caret == index || m_rig.view.editsLost > 0, "the caret stands in the line it edited");
        const std::string line = caret < plain.size() ? plain[caret] : std::string();
        if (m_trace)
            std::fprintf(stderr, "edit of line %zu (caret line %zu): [%s] -> [%s], previous [%s]\n", index,
                caret, before.plain[index].c_str(), plain[index].c_str(), before.previous.c_str());
        if (contains(line, "-->")) {
            // A time line: its previous text becomes the new one wherever it stands.
            for (std::size_t j = 0; j < formatted.size(); ++j) {
                const std::string expected = before.previous.empty()
                    ? before.formatted[j]
                    : replaceAtCharacters(before.formatted[j], before.previous, line, m_rig.codePage());
                if (formatted[j] != expected)
                    failInvariant("an edited time line replaces its previous text and nothing else",
                        "line " + std::to_string(j) + ": [" + before.formatted[j] + "] -> [" + formatted[j]
                            + "]");
            }
            return;
        }
        for (std::size_t j = 0; j < formatted.size(); ++j) {
            if (j != caret && formatted[j] != before.formatted[j])
                failInvariant("an edit changes only its own line of the formatted document",
                    "line " + std::to_string(j) + ": [" + before.formatted[j] + "] -> [" + formatted[j]
                        + "]");
        }
        if (caret >= 1 && caret < plain.size() && contains(plain[caret - 1], "-->")) {
            // A text line is composed anew from the style pieces and the plain text, or left as it was.
            if (formatted[caret] != before.formatted[caret] && formatted[caret] != composed(line))
                failInvariant("an edited text line is the style pieces and the plain text",
                    "[" + formatted[caret] + "], expected [" + composed(line) + "]");
        } else {
            check(formatted == before.formatted,
                "an edit of a number or empty line stays in the plain document");
        }
    }

    void checkAppend(const Snapshot& before)
    {
        const auto& formatted = m_rig.formatted().lines();
        const auto& plain = m_rig.plain().lines();
        const std::size_t n = before.formatted.size();
        if (formatted.size() == n) {
            check(formatted == before.formatted && plain == before.plain, "a refused entry changes nothing");
            return;
        }
        check(
            formatted.size() == n + 4 && plain.size() == n + 4, "an entry adds four lines to each document");
        for (std::size_t i = 0; i < n; ++i)
            check(formatted[i] == before.formatted[i] && plain[i] == before.plain[i],
                "an entry leaves every earlier line");
        check(
            formatted[n] == plain[n] && formatted[n + 1] == plain[n + 1] && formatted[n + 3] == plain[n + 3],
            "an entry's number, time and empty line are the same in both documents");
        if (formatted[n + 2] != composed(plain[n + 2]))
            failInvariant("an entry's formatted text line is the style pieces and its text",
                "[" + formatted[n + 2] + "], expected [" + composed(plain[n + 2]) + "]");
    }

    // The style pieces as they stand, the text and, in the default style, "</b>". Empty when the pieces
    // hold a character the file cannot (then nothing may have been composed).
    std::string composed(const std::string& text)
    {
        const FontOptions& dialog = m_rig.controller.fontOptionStack().current();
        try {
            return m_rig.codec.encode(dialog.StylePart1() + dialog.StylePart2(), m_rig.codePage()) + text
                + (m_rig.controller.session().CustomStyle ? "" : "</b>");
        } catch (const std::exception&) {
            return {};
        }
    }

    void checkAfterOperation()
    {
        m_rig.takeWrites();
        m_rig.checkFiles(m_formattedLoaded, m_plainLoaded);
        m_rig.checkViewMirrorsPlain();
        checkKeyFilter();
    }

    // The filter decides on the plain document's line; once the view let an edit through that left it
    // showing other lines than the document holds, the two may disagree about where a line ends.
    void checkKeyFilter()
    {
        check(m_rig.view.joiningKeysPassed == 0 || m_rig.view.editsLost > 0,
            "the key filter stops every erasing key that would join lines");
    }

    // VANTOR_FUZZ_TRACE=1 prints each operation and the state after it, to follow a crashing input.
    void trace(std::size_t code)
    {
        std::fprintf(stderr, "op %zu: caret line %d column %d%s%s\n", code,
            m_rig.view.plainSelectionStartLine(), m_rig.view.plainCaretColumn(),
            m_rig.view.readOnly() ? " read-only" : "",
            m_rig.view.isVisible(Control::UserRichEdit) ? "" : " hidden");
        for (std::size_t i = 0; i < m_rig.plain().lineCount(); ++i)
            std::fprintf(stderr, "  %2zu plain [%s]  formatted [%s]  view [%s]\n", i,
                m_rig.plain().line(i).c_str(), m_rig.formatted().line(i).c_str(),
                utf8FromUtf16(m_rig.view.blockText(i)).c_str());
    }

    const bool m_trace = std::getenv("VANTOR_FUZZ_TRACE") != nullptr;
    FuzzInput& m_input;
    FuzzRig m_rig;
    std::string m_formattedLoaded;
    std::string m_plainLoaded;
    Snapshot m_before;
    Snapshot m_beforeEdit;
};

} // namespace
} // namespace vantor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vantor::fuzz::FuzzInput input(data, size);
    vantor::fuzz::EditDriver(input).run();
    return 0;
}
