#include "model/TextDocument.h"

#include "model/VantorError.h"

namespace vantor {

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string TextDocument::text() const
{
    std::size_t size = 0;
    for (const auto& line : m_lines)
        size += line.size() + kLineEnd.size();
    std::string result;
    result.reserve(size);
    for (const auto& line : m_lines) {
        result += line;
        result += kLineEnd;
    }
    return result;
}

void TextDocument::changed(Change change)
{
    if (m_observer)
        m_observer(change);
    if (m_onChange)
        m_onChange();
}

void TextDocument::clear()
{
    m_lines.clear();
    changed({ Change::Reset, 0 });
}

void TextDocument::append(std::string line)
{
    m_lines.push_back(std::move(line));
    changed({ Change::Inserted, m_lines.size() - 1 });
}

void TextDocument::insert(std::size_t index, std::string line)
{
    if (index > m_lines.size())
        throw Error("Line index out of bounds (" + std::to_string(index) + ")");
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
    changed({ Change::Inserted, index });
}

void TextDocument::remove(std::size_t index)
{
    if (index >= m_lines.size())
        throw Error("Line index out of bounds (" + std::to_string(index) + ")");
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(index));
    changed({ Change::Removed, index });
}

void TextDocument::replace(std::size_t index, std::string line)
{
    if (index >= m_lines.size())
        throw Error("Line index out of bounds (" + std::to_string(index) + ")");
    m_lines[index] = std::move(line);
    changed({ Change::Replaced, index });
}

void TextDocument::setWholeText(std::string_view text)
{
    m_lines = splitLines(text);
    changed({ Change::Reset, 0 });
}

void TextDocument::setLines(std::vector<std::string> lines)
{
    m_lines = std::move(lines);
    changed({ Change::Reset, 0 });
}

} // namespace vantor
