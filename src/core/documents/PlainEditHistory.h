#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// The user's own edits of the plain view, for undo and redo: each step is one line's text before and after
// (code-page bytes). Edits of one line with no edit of another line (and no undo or redo) between them make
// one step, so an undo takes back a line's typing at once. Steps never insert or remove a line.
class PlainEditHistory {
public:
    struct Step {
        std::size_t line;
        std::string before;
        std::string after;
    };

    // Line `line` went from `before` to `after` by an edit of the user; clears what could be redone.
    void record(std::size_t line, const std::string& before, const std::string& after);
    // The step to take back (its line gets `before`), or nothing; it moves to the redo side.
    std::optional<Step> undo();
    // The step to carry out again (its line gets `after`), or nothing; it moves back to the undo side.
    std::optional<Step> redo();
    void clear();

private:
    std::vector<Step> m_undo;
    std::vector<Step> m_redo;
    // The last undo step still takes further edits of its line.
    bool m_open = false;
};

} // namespace vantor
