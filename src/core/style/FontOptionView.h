#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

class FontOptions;

// The font dialog's controls the behaviour works on, named as the window names them.
enum class FontOptionControl {
    CheckBoxDefault, // "缺省" check box: the default style instead of the custom one
    SaveButton, // "保存[S]": applies the style to the document and stores it
    Panel2, // holds the custom style's rows; disabled while the default is ticked
    PanelColor, // colour panel: caption "#RRGGBB", background that colour; a click opens the chooser
    PanelName, // font name panel; a click shows FontNameComboBox over it
    PanelSize, // font size panel; a click shows FontSizeComboBox over it
    Edit1, // left position of the subtitle (\pos x)
    Edit2, // top position of the subtitle (\pos y)
    FontNameComboBox, // list of the screen's font families
    FontSizeComboBox, // list of the sizes 1 to 100
};

// One font dialog window as the core sees it. Texts are UTF-8. The window forwards each of its events to
// the handler of the same name on the attached FontOptions; setting the check box from here does not.
class FontOptionView {
public:
    virtual ~FontOptionView() = default;

    virtual void attach(FontOptions& handlers) = 0;

    virtual bool isDefaultTicked() const = 0;
    virtual void setDefaultTicked(bool ticked) = 0;
    // A panel's caption, an edit's text, or the text a list shows.
    virtual std::string text(FontOptionControl control) const = 0;
    virtual void setText(FontOptionControl control, const std::string& text) = 0;
    // Colour value 0x00BBGGRR as the colour panel's background.
    virtual void setColorPanelColor(std::uint32_t colour) = 0;
    virtual void setEnabled(FontOptionControl control, bool enabled) = 0;
    virtual void setVisible(FontOptionControl control, bool visible) = 0;
    // Replaces a list's items; no item is selected afterwards.
    virtual void setItems(FontOptionControl list, const std::vector<std::string>& items) = 0;
    virtual void setFocus(FontOptionControl control) = 0;

    // The font family names the window system offers for the screen, in any order.
    virtual std::vector<std::string> screenFontFamilies() const = 0;
    // The colour chooser, opening on `initial`; nothing when the user cancels.
    virtual std::optional<std::uint32_t> runColorDialog(std::uint32_t initial) = 0;

    // Shows the window modally and returns once it is hidden; the wait goes on serving the other
    // windows' timers and hot keys.
    virtual void showModal() = 0;
    // Hides the window, ending a modal wait. Runs no handler.
    virtual void hideDialog() = 0;
};

// Makes a new, hidden font dialog window with its controls as laid out.
class FontOptionViewFactory {
public:
    virtual ~FontOptionViewFactory() = default;
    virtual std::unique_ptr<FontOptionView> createFontOptionView() = 0;
};

} // namespace vantor
