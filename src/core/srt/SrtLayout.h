#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// The layout of an SRT entry: a number line, a time line "hh:mm:ss,mmm --> hh:mm:ss,mmm", the text line and
// an empty line. Every rule that reads or writes that layout goes through these names.

inline constexpr std::string_view kTimeArrow = "-->";
// Length of a time code, "hh:mm:ss,mmm".
inline constexpr std::size_t kTimeCodeLength = 12;
// Where the end code of a well-formed time line starts: after the start code and " --> ".
inline constexpr std::size_t kEndCodeColumn = 17;

// A line holding "-->" is a time line, however the rest of it looks.
inline bool isTimeLine(std::string_view line)
{
    return line.find(kTimeArrow) != std::string_view::npos;
}

// Line `index` is an entry's text: not empty, no time line itself, right below one.
inline bool isTextLine(const std::vector<std::string>& lines, std::size_t index)
{
    return index > 0 && index < lines.size() && !lines[index].empty() && !isTimeLine(lines[index])
        && isTimeLine(lines[index - 1]);
}

// The start and end codes of a time line as the editing rules read them: the first 12 characters, and the
// 12 from column 17 (shorter or empty where the line is too short).
inline std::string_view startCodeOf(std::string_view timeLine)
{
    return timeLine.substr(0, kTimeCodeLength);
}
inline std::string_view endCodeOf(std::string_view timeLine)
{
    return timeLine.size() > kEndCodeColumn ? timeLine.substr(kEndCodeColumn, kTimeCodeLength)
                                            : std::string_view();
}

// The two codes around the arrow at `arrow` of `text`, as the resume rule reads the last time line of a
// document: the 12 characters from 13 before the arrow, and from 4 after it (empty where that falls outside).
inline std::string_view startCodeBeforeArrow(std::string_view text, std::size_t arrow)
{
    constexpr std::size_t before = kTimeCodeLength + 1;
    return arrow < before ? std::string_view() : text.substr(arrow - before, kTimeCodeLength);
}
inline std::string_view endCodeAfterArrow(std::string_view text, std::size_t arrow)
{
    const std::size_t from = arrow + kTimeArrow.size() + 1;
    return from >= text.size() ? std::string_view() : text.substr(from, kTimeCodeLength);
}

// "START --> END".
inline std::string joinTimeLine(std::string_view start, std::string_view end)
{
    std::string line;
    line.reserve(start.size() + end.size() + 5);
    line.append(start).append(" ").append(kTimeArrow).append(" ").append(end);
    return line;
}

} // namespace vantor
