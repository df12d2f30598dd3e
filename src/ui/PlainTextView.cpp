#include "PlainTextView.h"

#include <QMimeData>
#include <QRegularExpression>

namespace vantor {

PlainTextView::PlainTextView(QWidget* parent)
    : QPlainTextEdit(parent)
{
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
