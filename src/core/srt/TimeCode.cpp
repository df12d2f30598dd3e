#include "srt/TimeCode.h"

#include "model/VantorError.h"

#include <charconv>
#include <cstdio>

namespace vantor {

std::string formatPositionSeconds(double seconds)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", seconds);
    return buffer;
}

std::string millisecondsOf(std::string_view secondsText)
{
    std::string digits;
    const auto dot = secondsText.find('.');
    if (dot != std::string_view::npos)
        digits = std::string(secondsText.substr(dot + 1, 3));
    digits.resize(3, '0');
    return digits;
}

long long parseInteger(std::string_view text)
{
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    // One sign at most: from_chars would take a second "-" itself, and negating its LLONG_MIN overflows.
    const bool startsWithDigit = !digits.empty() && digits.front() >= '0' && digits.front() <= '9';
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (!startsWithDigit || error != std::errc() || end != digits.data() + digits.size())
        throw Error("'" + std::string(text) + "' is not a valid integer value");
    return negative ? -value : value;
}

Seconds timeCodeToSeconds(std::string_view timeCode)
{
    const auto part = [&](std::size_t from, std::size_t count) {
        return from < timeCode.size() ? timeCode.substr(from, count) : std::string_view();
    };
    const long long hours = parseInteger(part(0, 2));
    const long long minutes = parseInteger(part(3, 2));
    const long long seconds = parseInteger(part(6, 2));
    const long long milliseconds = parseInteger(part(9, 3));
    return static_cast<Seconds>(hours) * 3600 + static_cast<Seconds>(minutes) * 60
        + static_cast<Seconds>(seconds) + static_cast<Seconds>(milliseconds) / 1000;
}

} // namespace vantor
