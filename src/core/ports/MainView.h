#pragma once

#include <string>

namespace vantor {

// The main window's controls that the core reads or changes, by their object names.
enum class Control {
    Label1,
    Label2,
    Edit1,
    Edit2,
    InputEdit,
    StartTimeButton,
    EndTimeButton,
    OpenButton,
    EditButton,
    ContinueButton,
    BitBtn1,
    Panel3,
    UserRichEdit,
};

// The main window as the core sees it. Texts are UTF-8.
class MainView {
public:
    virtual ~MainView() = default;

    virtual std::string text(Control control) const = 0;
    virtual void setText(Control control, const std::string& text) = 0;
    virtual bool isEnabled(Control control) const = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual bool isVisible(Control control) const = 0;
    virtual void setVisible(Control control, bool visible) = 0;
    virtual void setFocus(Control control) = 0;
    // Width and height of the video panel (Panel2), in pixels.
    virtual int videoPanelWidth() const = 0;
    virtual int videoPanelHeight() const = 0;
};

} // namespace vantor
