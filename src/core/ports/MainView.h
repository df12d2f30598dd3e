#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vantor {

// The main window's controls that the core reads or changes, by their object names.
enum class Control {
    Label1, // current position of the player, as a time code
    Label2, // the player's status
    Label3, // footer: the program's line, or which global keys another program holds
    Edit1, // start time field of the entry being made
    Edit2, // end time field of the entry being made
    InputEdit, // the subtitle text being typed; Enter writes the entry
    StartTimeButton, // [F9] marks the start and plays
    EndTimeButton, // [F10] marks the end; the segment then loops
    OpenButton, // opens a video
    EditButton, // [F7] edit mode
    ContinueButton, // [F8] back to capturing after the last entry
    BitBtn1, // opens the font dialog
    Panel3, // the help panel (holds the help memo); hidden in edit mode
    UserRichEdit, // the plain view: the plain document, editable in edit mode
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

    // The plain view (UserRichEdit) mirrors the plain document line by line.
    virtual void plainViewReset(const std::vector<std::string>& lines) = 0;
    // Reads the plain document's line at an index, decoded.
    using PlainLineReader = std::function<std::string(std::size_t index)>;
    // Shows a document of `lineCount` lines afresh. A view may read only the lines it shows, now or later
    // (it keeps `line`, which reads the current document, and follows it through the calls below); by
    // default every line is read at once.
    virtual void plainViewShow(std::size_t lineCount, const PlainLineReader& line)
    {
        std::vector<std::string> lines;
        lines.reserve(lineCount);
        for (std::size_t i = 0; i < lineCount; ++i)
            lines.push_back(line(i));
        plainViewReset(lines);
    }
    virtual void plainViewInsertLine(std::size_t index, const std::string& line) = 0;
    virtual void plainViewRemoveLine(std::size_t index) = 0;
    virtual void plainViewReplaceLine(std::size_t index, const std::string& line) = 0;
    // Caret at the end of the plain view's text, nothing selected.
    virtual void plainCaretToEnd() = 0;
    // Zero-based line of the selection start, and the caret's column in characters.
    virtual int plainSelectionStartLine() const = 0;
    virtual int plainCaretColumn() const = 0;
    virtual void setPlainReadOnly(bool readOnly) = 0;
};

} // namespace vantor
