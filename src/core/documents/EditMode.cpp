#include "documents/EditMode.h"

#include "model/Text.h"
#include "model/VantorError.h"
#include "srt/SrtLayout.h"
#include "srt/TimeCode.h"

namespace vantor {

EditMode::EditMode(CaptureSession& session, SubtitleDocuments& documents, SubtitleFileSet& files,
    MainView& view, MediaPlayer& player, TextCodec& codec, EditModeStyle style)
    : m_session(session)
    , m_documents(documents)
    , m_files(files)
    , m_view(view)
    , m_player(player)
    , m_codec(codec)
    , m_style(std::move(style))
{
}

void EditMode::EditButtonClick()
{
    m_files.EnterEditMode();
}

void EditMode::ContinueButtonClick()
{
    m_player.setCurrentPosition(static_cast<double>(m_session.ResumeSeconds));
    m_session.StartSeconds = m_session.ResumeSeconds;
    m_player.pause();
    m_view.setText(Control::Edit1,
        m_session.ResumeStartText.empty() ? m_view.text(Control::Label1) : m_session.ResumeStartText);
    m_view.setText(Control::Edit2,
        m_session.ResumeEndText.empty() ? std::string(kZeroTimeCode) : m_session.ResumeEndText);
    // Marks need a video whose files can be written: entries no file holds would be lost at exit.
    const bool capture = m_files.canCapture();
    m_view.setEnabled(Control::StartTimeButton, capture);
    m_view.setEnabled(Control::EndTimeButton, capture);
    m_view.setFocus(Control::InputEdit);
    m_view.setVisible(Control::UserRichEdit, false);
    m_view.setVisible(Control::Panel3, true);
    m_session.EditMode = false;
    if (!capture)
        m_files.explainNoCapture();
}

std::string EditMode::lineAt(const TextDocument& document, long long index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= document.lineCount())
        return {};
    return document.line(static_cast<std::size_t>(index));
}

bool EditMode::UserRichEditKeyDown(int key, bool keyUp)
{
    m_session.CaretLine = m_view.plainSelectionStartLine();
    const std::string line = lineAt(m_documents.PlainDocument, m_session.CaretLine);
    const CodePage codePage = m_documents.codePage;
    const bool erasing = key == keys::kBackspace || key == keys::kDelete;
    bool discard = false;
    // The last character of a line cannot be deleted: one double-byte character, up to two single-byte
    // ones, or one character of any width in a UTF-8 file.
    if (erasing && (line.size() <= 2 || characterCount(line, codePage) <= 1))
        discard = true;
    // Delete at a line's end would join it with the next line; Backspace at its start with the one above.
    // Columns count characters, so this also holds on lines of Chinese text.
    const auto column = static_cast<std::size_t>(std::max(0, m_view.plainCaretColumn()));
    if (key == keys::kDelete && column >= characterCount(line, codePage))
        discard = true;
    if (key == keys::kBackspace && column == 0)
        discard = true;
    SyncToCaretLine();
    return discard && !keyUp;
}

void EditMode::UserRichEditMouseDown()
{
    SyncToCaretLine();
}

void EditMode::SyncToCaretLine()
{
    try {
        followCaretLine();
    } catch (const std::exception&) {
        // A time line that does not convert, or a player failure, ends the following quietly.
    }
}

void EditMode::followCaretLine()
{
    m_session.CaretLine = m_view.plainSelectionStartLine();
    const std::string line = lineAt(m_documents.PlainDocument, m_session.CaretLine);
    m_view.setPlainReadOnly(line.empty());
    m_session.SelectedLineText = line;
    if (isTimeLine(line)) {
        const std::string start = m_codec.decode(std::string(startCodeOf(line)), m_documents.codePage);
        m_view.setText(Control::Edit1, start);
        m_session.StartSeconds = timeCodeToSeconds(start);
        m_player.setCurrentPosition(static_cast<double>(m_session.StartSeconds));
        const std::string end = m_codec.decode(std::string(endCodeOf(line)), m_documents.codePage);
        m_view.setText(Control::Edit2, end);
        m_session.EndSeconds = timeCodeToSeconds(end);
    }
    const bool atOrAfterStart = m_session.StartSeconds >= static_cast<Seconds>(m_player.currentPosition());
    const bool atOrBeforeEnd = m_session.EndSeconds <= static_cast<Seconds>(m_player.currentPosition());
    if (atOrAfterStart && atOrBeforeEnd)
        m_player.pause();
    else
        m_player.play();
}

void EditMode::ApplyPlainEditToFormatted()
{
    try {
        carryPlainEdit();
    } catch (const std::exception&) {
        // Whatever was carried over so far stays; the rest of this edit is not carried.
    }
}

void EditMode::carryPlainEdit()
{
    m_session.CaretLine = m_replayLine ? *m_replayLine : m_view.plainSelectionStartLine();
    const long long caret = m_session.CaretLine;
    const std::string line = lineAt(m_documents.PlainDocument, caret);
    const std::string above = lineAt(m_documents.PlainDocument, caret - 1);
    TextDocument& formatted = m_documents.FormattedDocument;

    if (isTimeLine(line)) {
        // A time line: every occurrence of its previous text in the formatted document becomes the new
        // one. The previous text holds no line break, so replacing line by line equals replacing in the
        // whole text, and only the lines that change are touched.
        m_documents.ScratchBuffer.clear();
        const std::string previous = m_session.SelectedLineText;
        m_session.SelectedLineText = line;
        if (previous.empty())
            return;
        for (std::size_t i = 0; i < formatted.lineCount(); ++i) {
            if (formatted.line(i).find(previous) == std::string::npos)
                continue;
            std::string replaced = replaceAllBytes(formatted.line(i), previous, line, m_documents.codePage);
            if (replaced != formatted.line(i))
                formatted.replace(i, std::move(replaced));
        }
        return;
    }
    if (isTimeLine(above)) {
        // A text line right below its time line: recompose it with the style pieces; the number and time
        // lines stay as the formatted document has them.
        m_documents.ScratchBuffer.clear();
        if (m_view.isVisible(Control::UserRichEdit))
            m_session.EditMode = true;
        if (!m_session.EditMode)
            return;
        if (caret < 2 || static_cast<std::size_t>(caret) >= formatted.lineCount())
            throw Error("The entry does not line up with the formatted document.");
        // In the custom style the pieces are rebuilt from the document's own first text line. A document
        // that turns out to be default-styled (a loaded file starts out marked custom) keeps its default
        // tags: the line is composed by the flag as it stands after the style was read.
        if (m_session.CustomStyle && m_style.reloadCustomStyle)
            m_style.reloadCustomStyle();
        formatted.replace(static_cast<std::size_t>(caret), m_style.compose(line, m_session.CustomStyle));
    }
    // Any other line (a number, an empty line): nothing is carried over.
}

void EditMode::plainLineEdited(std::size_t index, const std::string& text)
{
    TextDocument& plain = m_documents.PlainDocument;
    if (index >= plain.lineCount())
        throw Error("The edited line is not part of the subtitles.");
    // A character the file cannot hold is refused before anything changes.
    std::string bytes = m_codec.encode(text, m_documents.codePage);
    if (bytes == plain.line(index))
        return;
    const std::string before = plain.line(index);
    plain.replace(index, bytes);
    m_history.record(index, before, bytes);
}

void EditMode::undoPlainEdit()
{
    if (!m_view.isVisible(Control::UserRichEdit))
        return;
    if (const auto step = m_history.undo())
        replayPlainEdit(step->line, step->after, step->before);
}

void EditMode::redoPlainEdit()
{
    if (!m_view.isVisible(Control::UserRichEdit))
        return;
    if (const auto step = m_history.redo())
        replayPlainEdit(step->line, step->before, step->after);
}

void EditMode::replayPlainEdit(std::size_t line, const std::string& expected, const std::string& text)
{
    TextDocument& plain = m_documents.PlainDocument;
    if (line >= plain.lineCount() || plain.line(line) != expected) {
        // The document changed under the history (it cannot, short of a bug): refuse rather than guess.
        m_history.clear();
        return;
    }
    // The edit is carried from its own line, whatever line the caret is on; a time line's old text is the
    // one it holds now. Afterwards the caret's line is taken again, as a key in the view takes it.
    struct Restore {
        EditMode& self;
        ~Restore()
        {
            self.m_replayLine.reset();
            self.m_session.CaretLine = self.m_view.plainSelectionStartLine();
            self.m_session.SelectedLineText
                = self.lineAt(self.m_documents.PlainDocument, self.m_session.CaretLine);
        }
    } restore { *this };
    m_replayLine = static_cast<long long>(line);
    m_session.SelectedLineText = expected;
    plain.replace(line, text);
}

} // namespace vantor
