#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// An ordered list of lines of code-page bytes. Its text is the lines in order, each followed by CR LF.
// Every operation that changes the content raises the change notification at once, synchronously.
class TextDocument {
public:
    // What ends every line of the document's text, and of the file written from it.
    static constexpr std::string_view kLineEnd = "\r\n";
    using ChangeHandler = std::function<void()>;
    // What changed, for a view that mirrors the document line by line.
    struct Change {
        enum Kind { Reset, Inserted, Removed, Replaced } kind;
        std::size_t index;
    };
    using Observer = std::function<void(const Change&)>;

    // The document's change notification (runs after the observer).
    void setChangeHandler(ChangeHandler handler) { m_onChange = std::move(handler); }
    void setObserver(Observer observer) { m_observer = std::move(observer); }

    std::size_t lineCount() const { return m_lines.size(); }
    const std::string& line(std::size_t index) const { return m_lines.at(index); }
    const std::vector<std::string>& lines() const { return m_lines; }
    bool empty() const { return m_lines.empty(); }
    // The lines in order, each followed by CR LF.
    std::string text() const;

    void clear();
    void append(std::string line);
    void insert(std::size_t index, std::string line);
    void remove(std::size_t index);
    void replace(std::size_t index, std::string line);
    // The document's lines become the lines of `text`. CR LF, LF and a lone CR all end a line; a line end
    // at the very end of the text adds no further empty line; a last line without one is still a line.
    void setWholeText(std::string_view text);
    // The document's lines become `lines` (none of which holds a line break), with one notification.
    void setLines(std::vector<std::string> lines);

private:
    void changed(Change change);

    std::vector<std::string> m_lines;
    ChangeHandler m_onChange;
    Observer m_observer;
};

// Splits `text` into lines at CR LF, LF or lone CR; a final line end adds no empty line.
std::vector<std::string> splitLines(std::string_view text);

} // namespace vantor
