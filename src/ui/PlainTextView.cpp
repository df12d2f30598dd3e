#include "PlainTextView.h"

#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>

namespace vantor {

namespace {

// How near an end of the window the top of the view may come before the window moves: farther than a
// page, so that the lines beyond are there before the user reaches them.
constexpr std::size_t kWindowMargin = PlainTextView::kWindowLines / 8;

} // namespace

PlainTextView::PlainTextView(QWidget* parent)
    : QPlainTextEdit(parent)
{
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &PlainTextView::followScroll);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &PlainTextView::followScroll);
    // The document's scroll bar stands where the editor's own does, which is hidden while it is shown; the
    // editor's own still scrolls the view (wheel, keys) and the document's follows it.
    m_documentBar = new QScrollBar(Qt::Vertical);
    m_documentBar->setObjectName(QStringLiteral("DocumentScrollBar"));
    m_documentBar->hide();
    addScrollBarWidget(m_documentBar, Qt::AlignTop);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &PlainTextView::syncDocumentBar);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &PlainTextView::syncDocumentBar);
    connect(m_documentBar, &QScrollBar::valueChanged, this, &PlainTextView::scrollDocumentTo);
}

std::size_t PlainTextView::topLine() const
{
    return m_firstLine + static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
}

void PlainTextView::syncDocumentBar()
{
    const bool windowed = m_windowLines < m_lineCount;
    QScrollBar* own = verticalScrollBar();
    if (own->isHidden() != windowed)
        own->setVisible(!windowed);
    if (m_documentBar->isHidden() == windowed)
        m_documentBar->setVisible(windowed);
    if (!windowed)
        return;
    const QSignalBlocker quiet(m_documentBar);
    const std::size_t outside = m_lineCount - m_windowLines;
    m_documentBar->setRange(
        0, static_cast<int>(static_cast<std::size_t>(std::max(0, own->maximum())) + outside));
    m_documentBar->setPageStep(own->pageStep());
    m_documentBar->setSingleStep(own->singleStep());
    m_documentBar->setValue(static_cast<int>(topLine()));
}

void PlainTextView::scrollDocumentTo(int line)
{
    if (m_filling || m_windowLines >= m_lineCount || line < 0)
        return;
    const auto target = static_cast<std::size_t>(line);
    QScrollBar* own = verticalScrollBar();
    // Within the window the editor scrolls (and moves its window when that comes near an end); beyond it,
    // a window around the line is filled.
    if (target >= m_firstLine
        && target - m_firstLine <= static_cast<std::size_t>(std::max(0, own->maximum()))) {
        own->setValue(static_cast<int>(target - m_firstLine));
        return;
    }
    const std::size_t first = std::min(target > kWindowLines / 2 ? target - kWindowLines / 2 : 0,
        m_lineCount - std::min(m_lineCount, kWindowLines));
    fillWindow(first, true, target);
}

void PlainTextView::resetLines(std::size_t count, LineReader reader)
{
    m_reader = std::move(reader);
    m_lineCount = count;
    // A long document shown in place of an empty view starts at its end, where the caret of a loaded
    // document goes; one shown afresh in place of itself stays where it was.
    const std::size_t last = count > kWholeLines ? count - kWindowLines : 0;
    fillWindow(m_windowLines == 0 ? last : std::min(m_firstLine, last), false);
}

void PlainTextView::fillWindow(std::size_t first, bool keepPlace, std::size_t top)
{
    // Where the caret, its anchor and the top of the view are in the document, to put them back.
    const QTextDocument* text = document();
    const auto place = [&](int position) {
        const QTextBlock block = text->findBlock(position);
        return std::pair { m_firstLine + static_cast<std::size_t>(std::max(0, block.blockNumber())),
            position - block.position() };
    };
    const QTextCursor before = textCursor();
    const auto anchor = place(before.anchor());
    const auto caret = place(before.position());
    const int across = horizontalScrollBar()->value();

    const std::size_t lines = std::min(
        m_lineCount - std::min(first, m_lineCount), m_lineCount <= kWholeLines ? m_lineCount : kWindowLines);
    QString joined;
    for (std::size_t i = 0; i < lines; ++i) {
        if (i > 0)
            joined += QLatin1Char('\n');
        joined += m_reader(first + i);
    }
    const bool wasFilling = std::exchange(m_filling, true);
    m_firstLine = lines == 0 ? 0 : first;
    m_windowLines = lines;
    setPlainText(joined);
    if (keepPlace && lines > 0) {
        const auto position = [&](const std::pair<std::size_t, int>& at) {
            const QTextBlock block = document()->findBlockByNumber(static_cast<int>(at.first - m_firstLine));
            return block.position() + std::min(at.second, block.length() - 1);
        };
        const auto inWindow
            = [&](std::size_t line) { return line >= m_firstLine && line < m_firstLine + lines; };
        const std::size_t shownTop = std::clamp(top, m_firstLine, m_firstLine + lines - 1);
        QTextCursor cursor(document());
        if (inWindow(anchor.first) && inWindow(caret.first)) {
            cursor.setPosition(position(anchor));
            cursor.setPosition(position(caret), QTextCursor::KeepAnchor);
        } else {
            // The caret was scrolled out of reach: it goes to the line at the top of the view.
            cursor.setPosition(position({ shownTop, 0 }));
        }
        setTextCursor(cursor);
        verticalScrollBar()->setValue(static_cast<int>(shownTop - m_firstLine));
        horizontalScrollBar()->setValue(across);
    }
    m_filling = wasFilling;
    syncDocumentBar();
}

// The window moves when the top of the view or the caret comes near one of its ends, behind which the
// document goes on; it is centred on the caret when that was what came near, else on the top of the view.
void PlainTextView::followScroll()
{
    if (m_filling || m_movePending || m_windowLines >= m_lineCount)
        return;
    const auto nearEnd = [this](std::size_t block) {
        return (m_firstLine > 0 && block < kWindowMargin)
            || (m_firstLine + m_windowLines < m_lineCount && block + kWindowMargin >= m_windowLines);
    };
    const auto top = static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
    const auto caret = static_cast<std::size_t>(std::max(0, textCursor().blockNumber()));
    if (!nearEnd(top) && !nearEnd(caret))
        return;
    // Not inside the key or wheel event that scrolled: the editor is still handling it.
    m_movePending = true;
    QTimer::singleShot(0, this, [this, nearEnd] {
        m_movePending = false;
        if (m_windowLines >= m_lineCount)
            return;
        const auto top = static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
        const auto caret = static_cast<std::size_t>(std::max(0, textCursor().blockNumber()));
        const std::size_t centre = m_firstLine + (nearEnd(caret) ? caret : top);
        const std::size_t lines = m_lineCount <= kWholeLines ? m_lineCount : kWindowLines;
        const std::size_t first = std::min(centre > lines / 2 ? centre - lines / 2 : 0, m_lineCount - lines);
        if (first != m_firstLine || lines != m_windowLines)
            fillWindow(first, true, m_firstLine + top);
    });
}

void PlainTextView::caretToEnd()
{
    if (m_firstLine + m_windowLines < m_lineCount)
        fillWindow(m_lineCount - std::min(m_lineCount, kWindowLines), false);
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
}

void PlainTextView::insertLine(std::size_t index, const QString& text)
{
    const bool windowAtEnd = m_firstLine + m_windowLines == m_lineCount;
    if (index < m_firstLine) {
        ++m_firstLine;
    } else if (index - m_firstLine < m_windowLines || (index - m_firstLine == m_windowLines && windowAtEnd)) {
        insertBlock(index - m_firstLine, text);
        ++m_windowLines;
    }
    ++m_lineCount;
    syncDocumentBar();
}

void PlainTextView::removeLine(std::size_t index)
{
    if (index >= m_lineCount)
        return;
    if (index < m_firstLine) {
        --m_firstLine;
    } else if (index - m_firstLine < m_windowLines) {
        removeBlock(index - m_firstLine);
        --m_windowLines;
    }
    --m_lineCount;
    if (m_windowLines == 0 && m_lineCount > 0)
        fillWindow(std::min(m_firstLine, m_lineCount - 1), false);
    syncDocumentBar();
}

void PlainTextView::replaceLine(std::size_t index, const QString& text)
{
    if (index < m_firstLine || index - m_firstLine >= m_windowLines)
        return;
    const QTextBlock block = document()->findBlockByNumber(static_cast<int>(index - m_firstLine));
    if (!block.isValid() || block.text() == text)
        return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

void PlainTextView::insertBlock(std::size_t block, const QString& text)
{
    QTextDocument* lines = document();
    QTextCursor cursor(lines);
    if (m_windowLines == 0) {
        cursor.insertText(text);
    } else if (block >= m_windowLines) {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QLatin1Char('\n') + text);
    } else {
        cursor.setPosition(lines->findBlockByNumber(static_cast<int>(block)).position());
        cursor.insertText(text + QLatin1Char('\n'));
    }
}

void PlainTextView::removeBlock(std::size_t index)
{
    QTextDocument* lines = document();
    const QTextBlock block = lines->findBlockByNumber(static_cast<int>(index));
    if (!block.isValid())
        return;
    QTextCursor cursor(lines);
    if (m_windowLines <= 1) {
        cursor.select(QTextCursor::Document);
    } else if (index + 1 >= m_windowLines) {
        cursor.setPosition(block.previous().position() + block.previous().length() - 1);
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    } else {
        cursor.setPosition(block.position());
        cursor.setPosition(block.next().position(), QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
}

// The editor scrolls itself to the caret without a word to its scroll bar's listeners; whatever scrolled,
// the view is painted afresh, and the document's scroll bar and the window follow from there.
void PlainTextView::paintEvent(QPaintEvent* event)
{
    QPlainTextEdit::paintEvent(event);
    if (m_windowLines < m_lineCount) {
        syncDocumentBar();
        followScroll();
    }
}

void PlainTextView::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    QString text = source->text();
    static const QRegularExpression lineBreaks(QStringLiteral("\\r\\n|[\\r\\n\\x{2028}\\x{2029}]"));
    text.replace(lineBreaks, QStringLiteral(" "));
    textCursor().insertText(text);
}

void PlainTextView::mousePressEvent(QMouseEvent* event)
{
    QPlainTextEdit::mousePressEvent(event);
    emit mouseButtonChanged();
}

void PlainTextView::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    emit mouseButtonChanged();
}

} // namespace vantor
