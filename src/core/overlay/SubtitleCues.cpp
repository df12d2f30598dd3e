#include "overlay/SubtitleCues.h"

#include "srt/SrtLayout.h"

namespace vantor {

namespace {

// The value of `count` digits at `at`, or -1.
long long digits(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return -1;
    long long value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

long long timeCodeMilliseconds(std::string_view code)
{
    if (code.size() != kTimeCodeLength || code[2] != ':' || code[5] != ':'
        || (code[8] != ',' && code[8] != '.'))
        return -1;
    const long long hours = digits(code, 0, 2);
    const long long minutes = digits(code, 3, 2);
    const long long seconds = digits(code, 6, 2);
    const long long milliseconds = digits(code, 9, 3);
    if (hours < 0 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 || milliseconds < 0)
        return -1;
    return ((hours * 60 + minutes) * 60 + seconds) * 1000 + milliseconds;
}

std::vector<SubtitleCue> cuesOfLines(const std::vector<std::string>& lines)
{
    std::vector<SubtitleCue> cues;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (!isTimeLine(line))
            continue;
        const std::size_t arrow = line.find(kTimeArrow);
        const auto codeAround = [](std::string_view text) {
            const auto first = text.find_first_not_of(' ');
            const auto last = text.find_last_not_of(' ');
            return first == std::string_view::npos ? std::string_view()
                                                   : text.substr(first, last - first + 1);
        };
        const long long start = timeCodeMilliseconds(codeAround(std::string_view(line).substr(0, arrow)));
        const long long end
            = timeCodeMilliseconds(codeAround(std::string_view(line).substr(arrow + kTimeArrow.size())));
        std::size_t last = i + 1;
        while (last < lines.size() && !lines[last].empty() && !isTimeLine(lines[last]))
            ++last;
        if (start >= 0 && end > start && last > i + 1)
            cues.push_back({ start, end, i + 1, last - i - 1 });
        i = last - 1;
    }
    return cues;
}

} // namespace vantor
