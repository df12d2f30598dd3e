#pragma once

#include <string>
#include <string_view>

namespace vantor {

// The byte encoding of a subtitle file set. New files are GBK (code page 936); a UTF-8 file made
// elsewhere keeps its encoding. Rules that count bytes count them in this encoding.
enum class CodePage { Gbk, Utf8 };

// Removes leading and trailing characters with codes 0 to 32, byte-wise, as every "trimmed" rule of the
// program means it. Bytes of double-byte characters are never below 0x40, so this is safe on GBK text.
std::string trimControl(std::string_view text);

// Every occurrence of `pattern` in `text`, scanned from the start, non-overlapping, replaced by
// `replacement`. A match that would start inside a multi-byte character of `codePage` (framing scanned
// forward from the start) is not taken. An empty pattern replaces nothing.
std::string replaceAllBytes(std::string_view text, std::string_view pattern, std::string_view replacement,
    CodePage codePage = CodePage::Gbk);

// True when the byte at `offset` starts a character of `codePage`, scanning forward from the start.
bool isCharacterStart(std::string_view text, std::size_t offset, CodePage codePage = CodePage::Gbk);

// Number of bytes of the character that starts at `offset` (1 at the end of a truncated character).
std::size_t characterLength(std::string_view text, std::size_t offset, CodePage codePage = CodePage::Gbk);

// Value of one hexadecimal digit (either case), or -1 for any other character.
int hexDigitValue(char c);

// Number of characters in `text`.
std::size_t characterCount(std::string_view text, CodePage codePage = CodePage::Gbk);

} // namespace vantor
