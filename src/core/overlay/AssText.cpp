#include "overlay/AssText.h"

#include "style/FontSubstitutions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

namespace {

constexpr double kMargin = 10;

std::string lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string_view trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<double> number(std::string_view text)
{
    text = trim(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "#RRGGBB", "RRGGBB" or either in quotes, to ASS's "&HBBGGRR&".
std::optional<std::string> assColour(std::string_view value)
{
    value = trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (!value.empty() && value.front() == '#')
        value.remove_prefix(1);
    if (value.size() != 6
        || !std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isxdigit(c) != 0; }))
        return std::nullopt;
    std::string hex(value);
    std::transform(hex.begin(), hex.end(), hex.begin(),
        [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    value = hex;
    return "&H" + std::string(value.substr(4, 2)) + std::string(value.substr(2, 2))
        + std::string(value.substr(0, 2)) + "&";
}

std::string unquote(std::string_view value)
{
    value = trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

struct Converter {
    OverlayEvent event;
    std::optional<std::pair<double, double>> position;
    int alignment = 0;
    // What each open <font> set, to be undone by its </font>.
    std::vector<std::string> fontResets;

    // One override block's content: its tags, split at backslashes outside parentheses.
    std::string block(std::string_view content)
    {
        std::string kept;
        std::size_t i = 0;
        while (i < content.size()) {
            if (content[i] != '\\') {
                // Text before the first tag of a block is a comment.
                ++i;
                continue;
            }
            std::size_t end = i + 1;
            int depth = 0;
            while (end < content.size() && (depth > 0 || content[end] != '\\')) {
                depth += content[end] == '(' ? 1 : content[end] == ')' ? -1 : 0;
                ++end;
            }
            tag(content.substr(i + 1, end - i - 1), kept);
            i = end;
        }
        return kept.empty() ? std::string() : "{" + kept + "}";
    }

    void tag(std::string_view tag, std::string& kept)
    {
        if (trim(tag).empty())
            return;
        if (tag.rfind("pos(", 0) == 0) {
            const auto close = tag.find(')');
            const std::string_view inside
                = tag.substr(4, close == std::string_view::npos ? tag.npos : close - 4);
            const auto comma = inside.find(',');
            if (comma != std::string_view::npos) {
                const auto x = number(inside.substr(0, comma));
                const auto y = number(inside.substr(comma + 1));
                // The first \pos of a line counts, as in every renderer.
                if (x && y && !position)
                    position = { *x, *y };
            }
            return;
        }
        if (tag.size() == 3 && tag.rfind("an", 0) == 0 && tag[2] >= '1' && tag[2] <= '9') {
            if (alignment == 0)
                alignment = tag[2] - '0';
            return;
        }
        if (tag.rfind("fn", 0) == 0) {
            kept += "\\fn" + std::string(substituteFont(trim(tag.substr(2))));
            return;
        }
        kept += "\\" + std::string(tag);
    }

    // An SRT tag's content between "<" and ">"; nothing when it is not a tag renderers know.
    std::optional<std::string> srtTag(std::string_view inside)
    {
        const std::string name = lower(inside);
        static constexpr std::string_view simple[] = { "b", "i", "u", "s" };
        for (const std::string_view letter : simple) {
            if (name == letter)
                return "{\\" + std::string(letter) + "1}";
            if (name.size() == 2 && name[0] == '/' && name.substr(1) == letter)
                return "{\\" + std::string(letter) + "0}";
        }
        if (name == "/font") {
            if (fontResets.empty())
                return std::string();
            std::string reset = fontResets.back();
            fontResets.pop_back();
            return reset.empty() ? reset : "{" + reset + "}";
        }
        if (name.rfind("font", 0) != 0 || (name.size() > 4 && name[4] != ' '))
            return std::nullopt;
        std::string set;
        std::string reset;
        std::string_view rest = trim(inside).substr(4);
        while (!(rest = trim(rest)).empty()) {
            const auto equals = rest.find('=');
            if (equals == std::string_view::npos)
                break;
            const std::string attribute = lower(trim(rest.substr(0, equals)));
            rest = trim(rest.substr(equals + 1));
            std::size_t length = 0;
            if (!rest.empty() && (rest[0] == '"' || rest[0] == '\'')) {
                const auto close = rest.find(rest[0], 1);
                length = close == std::string_view::npos ? rest.size() : close + 1;
            } else {
                length = std::min(rest.find(' '), rest.size());
            }
            const std::string_view value = rest.substr(0, length);
            rest = rest.substr(length);
            if (attribute == "color") {
                if (const auto colour = assColour(value)) {
                    set += "\\c" + *colour;
                    reset += "\\c&HFFFFFF&";
                }
            } else if (attribute == "face") {
                set += "\\fn" + std::string(substituteFont(unquote(value)));
                reset += "\\fnArial";
            } else if (attribute == "size") {
                if (const auto size = number(unquote(value))) {
                    set += "\\fs" + unquote(value);
                    reset += "\\fs16";
                }
            }
        }
        fontResets.push_back(reset);
        return set.empty() ? std::string() : "{" + set + "}";
    }

    OverlayEvent convert(std::string_view text)
    {
        std::string body(kOverlayDefaultTags);
        std::size_t i = 0;
        while (i < text.size()) {
            const char c = text[i];
            if (c == '{') {
                const auto close = text.find('}', i + 1);
                if (close != std::string_view::npos) {
                    body += block(text.substr(i + 1, close - i - 1));
                    i = close + 1;
                    continue;
                }
            } else if (c == '<') {
                const auto close = text.find('>', i + 1);
                if (close != std::string_view::npos) {
                    if (const auto converted = srtTag(text.substr(i + 1, close - i - 1))) {
                        body += *converted;
                        i = close + 1;
                        continue;
                    }
                }
            } else if (c == '\n') {
                body += "\\N";
                ++i;
                continue;
            } else if (c == '\r') {
                ++i;
                continue;
            }
            body += c;
            ++i;
        }
        event.text = std::move(body);
        event.alignment = alignment == 0 ? 2 : alignment;
        if (position) {
            event.x = position->first;
            event.y = position->second;
        } else {
            const int column = (event.alignment - 1) % 3;
            const int row = (event.alignment - 1) / 3;
            event.x = column == 0 ? kMargin
                : column == 1     ? kOverlayScriptWidth / 2.0
                                  : kOverlayScriptWidth - kMargin;
            event.y = row == 0 ? kOverlayScriptHeight - kMargin
                : row == 1     ? kOverlayScriptHeight / 2.0
                               : kMargin;
        }
        return event;
    }
};

} // namespace

OverlayEvent overlayEventOfSrtText(std::string_view text)
{
    return Converter().convert(text);
}

} // namespace vantor
