#pragma once

#include <QPlainTextEdit>

namespace vantor {

// The plain view's widget: a plain-text editor that never takes a line break from the user. Pasted and
// dropped text has its line breaks turned into blanks, so that an edit always stays within one line and
// the plain document keeps its line structure. It reports mouse presses and releases after the caret
// has moved.
class PlainTextView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit PlainTextView(QWidget* parent = nullptr);

signals:
    void mouseButtonChanged();

protected:
    void insertFromMimeData(const QMimeData* source) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace vantor
