#include "documents/PlainEditHistory.h"

namespace vantor {

void PlainEditHistory::record(std::size_t line, const std::string& before, const std::string& after)
{
    m_redo.clear();
    if (m_open && !m_undo.empty() && m_undo.back().line == line && m_undo.back().after == before) {
        m_undo.back().after = after;
        if (m_undo.back().after == m_undo.back().before) {
            // Typed and erased again: nothing is left to take back.
            m_undo.pop_back();
            m_open = false;
        }
        return;
    }
    m_undo.push_back({ line, before, after });
    m_open = true;
}

std::optional<PlainEditHistory::Step> PlainEditHistory::undo()
{
    m_open = false;
    if (m_undo.empty())
        return std::nullopt;
    Step step = std::move(m_undo.back());
    m_undo.pop_back();
    m_redo.push_back(step);
    return step;
}

std::optional<PlainEditHistory::Step> PlainEditHistory::redo()
{
    m_open = false;
    if (m_redo.empty())
        return std::nullopt;
    Step step = std::move(m_redo.back());
    m_redo.pop_back();
    m_undo.push_back(step);
    return step;
}

void PlainEditHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
    m_open = false;
}

} // namespace vantor
