#pragma once

#include "ports/Dialogs.h"

class QWidget;

namespace vantor {

// Qt's open-file dialog and message boxes. Error boxes never stack: while one is open (its wait goes on
// running the 1 ms timer) a further error is dropped rather than opening a box per tick.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr);
    void setParent(QWidget* parent) { m_parent = parent; }

    std::optional<std::string> chooseOpenFile() override;
    bool askYesNo(const std::string& text) override;
    // A small dialog ("TimingDialog") with a spin box of milliseconds ("ReactionOffsetSpin").
    std::optional<int> askReactionOffset(int currentMs) override;
    void reportError(const std::string& text) override;

private:
    QWidget* m_parent;
    bool m_errorShowing = false;
};

} // namespace vantor
