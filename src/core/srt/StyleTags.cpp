#include "srt/StyleTags.h"
#include "srt/SrtLayout.h"

#include "model/Text.h"
#include "model/VantorError.h"

#include <algorithm>

namespace vantor {

namespace {

// Copy of `count` bytes from 1-based `position`, clipped at the end; nothing for a count of 0 or less.
std::string copyAt(std::string_view text, long long position, long long count)
{
    if (count <= 0 || position < 1 || static_cast<std::size_t>(position) > text.size())
        return {};
    return std::string(text.substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(count)));
}

// 1-based position of the first `needle`, 0 when absent.
long long positionOf(std::string_view text, std::string_view needle)
{
    const auto found = text.find(needle);
    return found == std::string_view::npos ? 0 : static_cast<long long>(found) + 1;
}

int hexPair(std::string_view pair)
{
    const auto digit = hexDigitValue;
    if (pair.size() != 2 || digit(pair[0]) < 0 || digit(pair[1]) < 0)
        throw Error("'$" + std::string(pair) + "' is not a valid integer value");
    return digit(pair[0]) * 16 + digit(pair[1]);
}

// Accepts a located block only where it is a whole leading block of one text line.
std::string acceptBlock(std::string_view text, std::size_t start, std::size_t length)
{
    const std::string_view block = text.substr(start, length);
    if (block.empty() || block.find_first_of("\r\n") != std::string_view::npos)
        return {};
    if (start > 0 && text[start - 1] != '\n' && text[start - 1] != '\r')
        return {};
    // The line above must be a time line: then the block opens a subtitle text line.
    std::size_t aboveEnd = start;
    while (aboveEnd > 0 && (text[aboveEnd - 1] == '\n' || text[aboveEnd - 1] == '\r'))
        --aboveEnd;
    if (aboveEnd == 0 || start - aboveEnd > 2)
        return {};
    const auto aboveStart = text.find_last_of("\r\n", aboveEnd - 1);
    const std::string_view above = text.substr(aboveStart == std::string_view::npos ? 0 : aboveStart + 1,
        aboveEnd - (aboveStart == std::string_view::npos ? 0 : aboveStart + 1));
    if (!isTimeLine(above))
        return {};
    return std::string(block);
}

// First `c` that stands at a character start: an ASCII "{", "}" or "<" can be the second byte of a GBK
// character, and a block cut there would split that character.
std::size_t findDelimiter(std::string_view text, char c, CodePage codePage)
{
    for (std::size_t i = 0; i < text.size(); i += characterLength(text, i, codePage)) {
        if (text[i] == c)
            return i;
    }
    return std::string_view::npos;
}

} // namespace

StylePieces buildCustomPieces(std::string_view colourText, std::string_view fontName,
    std::string_view fontSize, std::string_view left, std::string_view top)
{
    StylePieces pieces;
    pieces.part1 = "<font color=" + trimControl(colourText) + ">";
    pieces.part2 = "{\\fn" + trimControl(fontName) + "\\fs" + std::string(fontSize) + "\\pos("
        + trimControl(left) + "," + trimControl(top) + ")\\}";
    return pieces;
}

std::string composeTextLine(
    std::string_view part1, std::string_view part2, std::string_view text, bool custom)
{
    std::string line;
    line.reserve(part1.size() + part2.size() + text.size() + kBoldEnd.size());
    line.append(part1).append(part2).append(text);
    if (!custom)
        line.append(kBoldEnd);
    return line;
}

std::string ColorToHexText(std::uint32_t colour)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift : { 0, 8, 16 }) {
        const unsigned byte = (colour >> shift) & 0xFF;
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

std::uint32_t HexTextToColor(std::string_view text)
{
    const auto pair = [&](std::size_t from) {
        return from < text.size() ? text.substr(from, std::min<std::size_t>(2, text.size() - from))
                                  : std::string_view();
    };
    const std::uint32_t blue = static_cast<std::uint32_t>(hexPair(pair(4)));
    const std::uint32_t green = static_cast<std::uint32_t>(hexPair(pair(2)));
    const std::uint32_t red = static_cast<std::uint32_t>(hexPair(pair(0)));
    return red + green * 256 + blue * 65536;
}

bool mayBeCustomStyled(std::string_view line)
{
    if (line.find('}') == std::string_view::npos)
        return false;
    const std::string trimmed = trimControl(line);
    return trimmed.empty() || trimmed.front() != '{';
}

CustomStyleReadBack readBackCustomStyle(std::string_view line)
{
    CustomStyleReadBack style;
    style.colourText = copyAt(line, 13, 7);
    style.fontName = copyAt(line, 25, positionOf(line, "\\fs") - positionOf(line, "\\fn") - 3);
    style.fontSize = copyAt(line, positionOf(line, "fs") + 2, 2);
    style.left = copyAt(line, positionOf(line, "(") + 1, 3);
    style.top = copyAt(line, positionOf(line, ",") + 1, 3);
    return style;
}

std::string locateCustomBlock(std::string_view text, CodePage codePage)
{
    const auto start = findDelimiter(text, '<', codePage);
    const auto end = findDelimiter(text, '}', codePage);
    if (start == std::string_view::npos || end == std::string_view::npos || start > end)
        return {};
    return acceptBlock(text, start, end - start + 1);
}

std::string locateDefaultBlock(std::string_view text, std::size_t extra, CodePage codePage)
{
    const auto start = findDelimiter(text, '{', codePage);
    const auto end = findDelimiter(text, '}', codePage);
    if (start == std::string_view::npos || end == std::string_view::npos || start > end)
        return {};
    return acceptBlock(text, start, end - start + 1 + extra);
}

} // namespace vantor
