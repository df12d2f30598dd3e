#pragma once

#include "model/Text.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// The two pieces of the fixed default style (UTF-8; 38 and 3 bytes in GBK).
inline constexpr std::string_view kDefaultStylePart1 = "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}";
inline constexpr std::string_view kDefaultStylePart2 = "<b>";
// The whole default block, as restyling looks for it (41 bytes in GBK).
inline constexpr std::string_view kDefaultStyleBlock = "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>";
inline constexpr std::string_view kBoldEnd = "</b>";

struct StylePieces {
    std::string part1;
    std::string part2;
};

// The custom pieces: "<font color=" + trim(colour) + ">" and
// "{\fn" + trim(name) + "\fs" + size + "\pos(" + trim(left) + "," + trim(top) + ")\}". The size is
// used as given, untrimmed.
StylePieces buildCustomPieces(std::string_view colourText, std::string_view fontName,
    std::string_view fontSize, std::string_view left, std::string_view top);

// part1 + part2 + text, followed by "</b>" unless `custom`. The flag alone chooses the row.
std::string composeTextLine(
    std::string_view part1, std::string_view part2, std::string_view text, bool custom);

// Colour value 0x00BBGGRR to "RRGGBB", upper case; bits 24-31 ignored.
std::string ColorToHexText(std::uint32_t colour);
// "RRGGBB" (any case, characters after the sixth ignored) to red + green*256 + blue*65536. Converts blue,
// then green, then red; a pair that is not hexadecimal throws vantor::Error
// "'$xx' is not a valid integer value".
std::uint32_t HexTextToColor(std::string_view text);

// False when the first text line (`line`, the third line of the formatted document) says the document
// is not in the custom style: it holds no "}", or, trimmed, begins with "{".
bool mayBeCustomStyled(std::string_view line);

// The custom style read back from a formatted text line, with the fixed widths of the format.
struct CustomStyleReadBack {
    std::string colourText; // 7 characters from position 13
    std::string fontName; // from position 25 up to the first "\fs"
    std::string fontSize; // 2 characters after the first "fs"
    std::string left; // 3 characters after the first "("
    std::string top; // 3 characters after the first ","
};
CustomStyleReadBack readBackCustomStyle(std::string_view line);

// The style block of a formatted document's whole text, located by the first "<" or "{" and the first
// "}" (each at a character start). Empty when a delimiter is missing, the start lies after the end, or the
// located text is not a block at the very start of a text line (a line right below a time line) within that
// one line: such a text would take in entry numbers, time lines or subtitle text, and is never used as a
// pattern.
std::string locateCustomBlock(std::string_view text, CodePage codePage = CodePage::Gbk);
// From the first "{" through the first "}", extended by `extra` bytes (3 for the "<b>" of the default block).
std::string locateDefaultBlock(
    std::string_view text, std::size_t extra = 0, CodePage codePage = CodePage::Gbk);

} // namespace vantor
