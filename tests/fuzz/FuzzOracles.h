#pragma once

#include "model/Text.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Second implementations of the rules the fuzz targets check the core against. They are written from the
// rules, not from the core's code, so that a fault in one does not hide in the other.
namespace vantor::fuzz {

// The lines of a file's text: CR LF, LF and a lone CR each end a line; a line end at the very end adds no
// empty line; a last line without one is still a line.
std::vector<std::string> splitFileLines(std::string_view text);

// Bytes of the character starting at `offset`: GB18030 framing (lead 0x81-0xFE with 0x40-0xFE but 0x7F, or
// the four-byte form) or UTF-8; a malformed byte is one character.
std::size_t frameLength(std::string_view text, std::size_t offset, CodePage codePage);

// Every occurrence of `pattern` that starts at a character start, scanned from the start, non-overlapping,
// replaced by `replacement`; framing starts afresh after each replacement. An empty pattern replaces nothing.
std::string replaceAtCharacters(
    std::string_view text, std::string_view pattern, std::string_view replacement, CodePage codePage);

// hh:mm:ss,mmm --> hh:mm:ss,mmm with digits, exactly, as the program writes a time line.
bool isWrittenTimeLine(std::string_view line);
// One or more decimal digits.
bool isEntryNumber(std::string_view line);
bool contains(std::string_view text, std::string_view part);

// True when `block` begins one of `lines` and the nearest non-empty line above that one holds "-->": the
// place of a style block in a text line below its time line (two single-byte line ends, LF CR say, count
// as one line break there).
bool opensLineBelowTimeLine(std::string_view block, const std::vector<std::string>& lines);

// The window's side of a text: UTF-8 to UTF-16 as QString::fromUtf8 does it (each byte of an invalid,
// overlong, surrogate or truncated sequence becomes one U+FFFD), and back.
std::u16string utf16FromUtf8(std::string_view utf8);
std::string utf8FromUtf16(std::u16string_view utf16);
// UTF-8 of one code point.
std::string utf8Of(char32_t codePoint);

} // namespace vantor::fuzz
