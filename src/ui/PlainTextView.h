#pragma once

#include <QPlainTextEdit>

class QScrollBar;

#include <cstddef>
#include <functional>

namespace vantor {

// The plain view's widget: a plain-text editor that never takes a line break from the user. Pasted and
// dropped text has its line breaks turned into blanks, so that an edit always stays within one line and
// the plain document keeps its line structure. It reports mouse presses and releases after the caret
// has moved.
//
// It shows a document of lines that it reads on demand. A document of up to kWholeLines lines is held
// whole; of a longer one the editor holds a window of kWindowLines lines, and the window moves (is filled
// afresh) when the view scrolls or the caret moves near one of its ends. A QTextDocument costs some 500 bytes
// and 3 µs a line, and every line of it is built before the first is shown: 400,000 lines would take 1.1 s
// and 190 MB, where the window takes some 12 ms and 2 MB whatever the document's size. Lines are numbered in
// the document (the editor's block b is line firstLine() + b).
class PlainTextView : public QPlainTextEdit {
    Q_OBJECT
public:
    // Reads the line at an index of the document, as the view shows it.
    using LineReader = std::function<QString(std::size_t index)>;
    static constexpr std::size_t kWholeLines = 20000;
    static constexpr std::size_t kWindowLines = 4000;

    explicit PlainTextView(QWidget* parent = nullptr);

    // Shows a document of `count` lines afresh; `reader` is kept to read lines when the window moves.
    void resetLines(std::size_t count, LineReader reader);
    // The document changed by one line; the view follows.
    void insertLine(std::size_t index, const QString& text);
    void removeLine(std::size_t index);
    void replaceLine(std::size_t index, const QString& text);
    // Caret at the end of the document, nothing selected.
    void caretToEnd();

    std::size_t lineCount() const { return m_lineCount; }
    // The document's line of the editor's first block, and the number of lines the editor holds.
    std::size_t firstLine() const { return m_firstLine; }
    std::size_t windowLines() const { return m_windowLines; }
    // The scroll bar over the whole document, shown in place of the editor's own while it holds a window.
    QScrollBar* documentScrollBar() const { return m_documentBar; }
    // True while the view itself changes the editor's text: no such change is the user's.
    bool fillingWindow() const { return m_filling; }

signals:
    void mouseButtonChanged();

protected:
    void insertFromMimeData(const QMimeData* source) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Fills the editor with the lines from `first` on (at most kWindowLines of a long document). With
    // `keepPlace`, the caret stays at its line of the document where the new window holds it (else it goes
    // to the start of the line `top`), and the view shows `top` at its top.
    void fillWindow(std::size_t first, bool keepPlace, std::size_t top = 0);
    // The document's line at the top of the view.
    std::size_t topLine() const;
    // Shows the document's scroll bar while the editor holds a window, and sets it to the view's place.
    void syncDocumentBar();
    // The user moved the document's scroll bar: the view goes to that line, moving the window if needed.
    void scrollDocumentTo(int line);
    // Moves the window, after the event at hand, when the view has scrolled or the caret has moved near
    // one of its ends.
    void followScroll();
    void insertBlock(std::size_t block, const QString& text);
    void removeBlock(std::size_t block);

    LineReader m_reader;
    QScrollBar* m_documentBar = nullptr;
    std::size_t m_lineCount = 0;
    std::size_t m_firstLine = 0;
    // Lines in the editor; it always holds at least one (empty) block.
    std::size_t m_windowLines = 0;
    bool m_filling = false;
    bool m_movePending = false;
};

} // namespace vantor
