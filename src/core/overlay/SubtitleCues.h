#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Where an entry of a subtitle document is shown, and where its text lines are.
struct SubtitleCue {
    long long startMs = 0;
    long long endMs = 0;
    std::size_t firstTextLine = 0;
    std::size_t textLineCount = 0;
};

// Milliseconds of "hh:mm:ss,mmm" (or with "." before the milliseconds); -1 when it is not one.
long long timeCodeMilliseconds(std::string_view code);

// The entries of a document's lines: each well-formed time line with the text lines below it up to the
// next empty or time line, in document order. Time lines that do not read as two time codes, or whose end
// is not after their start, show nothing and are left out.
std::vector<SubtitleCue> cuesOfLines(const std::vector<std::string>& lines);

} // namespace vantor
