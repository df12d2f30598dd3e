#pragma once

#include "ports/MainView.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vantor::test {

// The main window as plain state: texts, enabled and visible flags, the focused control, plus a record of
// every focus change.
class FakeMainView : public MainView {
public:
    FakeMainView()
    {
        for (Control c : { Control::Label1, Control::Label2, Control::Label3, Control::Edit1, Control::Edit2,
                 Control::InputEdit, Control::StartTimeButton, Control::EndTimeButton, Control::OpenButton,
                 Control::EditButton, Control::ContinueButton, Control::BitBtn1, Control::Panel3 }) {
            enabled[c] = true;
            visible[c] = true;
        }
        enabled[Control::UserRichEdit] = true;
        visible[Control::UserRichEdit] = false;
    }

    std::string text(Control control) const override
    {
        const auto found = texts.find(control);
        return found == texts.end() ? std::string() : found->second;
    }
    void setText(Control control, const std::string& value) override { texts[control] = value; }
    bool isEnabled(Control control) const override { return enabled.at(control); }
    void setEnabled(Control control, bool value) override { enabled[control] = value; }
    bool isVisible(Control control) const override { return visible.at(control); }
    void setVisible(Control control, bool value) override { visible[control] = value; }
    void setFocus(Control control) override
    {
        focused = control;
        focusHistory.push_back(control);
    }
    int videoPanelWidth() const override { return panelWidth; }
    int videoPanelHeight() const override { return panelHeight; }

    void plainViewReset(const std::vector<std::string>& lines) override { plainLines = lines; }
    void plainViewInsertLine(std::size_t index, const std::string& line) override
    {
        plainLines.insert(plainLines.begin() + static_cast<std::ptrdiff_t>(index), line);
    }
    void plainViewRemoveLine(std::size_t index) override
    {
        plainLines.erase(plainLines.begin() + static_cast<std::ptrdiff_t>(index));
    }
    void plainViewReplaceLine(std::size_t index, const std::string& line) override
    {
        plainLines.at(index) = line;
    }
    void plainCaretToEnd() override
    {
        caretLine = plainLines.empty() ? 0 : static_cast<int>(plainLines.size()) - 1;
        caretColumn = plainLines.empty() ? 0 : static_cast<int>(plainLines.back().size());
        caretAtEndRequests++;
    }
    int plainSelectionStartLine() const override { return caretLine; }
    int plainCaretColumn() const override { return caretColumn; }
    void setPlainReadOnly(bool readOnly) override { plainReadOnly = readOnly; }

    std::vector<std::string> plainLines;
    int caretLine = 0;
    int caretColumn = 0;
    int caretAtEndRequests = 0;
    bool plainReadOnly = false;

    std::map<Control, std::string> texts;
    std::map<Control, bool> enabled;
    std::map<Control, bool> visible;
    Control focused = Control::OpenButton;
    std::vector<Control> focusHistory;
    int panelWidth = 355;
    int panelHeight = 310;
};

} // namespace vantor::test
