#include "model/Text.h"

namespace vantor {

std::string trimControl(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return std::string(text.substr(begin, end - begin));
}

namespace {

// GB18030 framing (GBK is its 1- and 2-byte part): lead 0x81-0xFE, 2nd byte 0x40-0xFE but 0x7F, or the
// 4-byte form lead, 0x30-0x39, 0x81-0xFE, 0x30-0x39. A malformed byte counts as one character.
std::size_t gbCharacterLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x81 || lead == 0xFF || i + 1 >= text.size())
        return 1;
    const unsigned char second = byte(i + 1);
    if (second >= 0x30 && second <= 0x39) {
        if (i + 3 < text.size() && byte(i + 2) >= 0x81 && byte(i + 2) <= 0xFE && byte(i + 3) >= 0x30
            && byte(i + 3) <= 0x39)
            return 4;
        return 1;
    }
    if (second >= 0x40 && second <= 0xFE && second != 0x7F)
        return 2;
    return 1;
}

std::size_t utf8CharacterLength(std::string_view text, std::size_t i)
{
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 1;
    }
    return length;
}

} // namespace

std::size_t characterLength(std::string_view text, std::size_t offset, CodePage codePage)
{
    if (offset >= text.size())
        return 1;
    return codePage == CodePage::Utf8 ? utf8CharacterLength(text, offset) : gbCharacterLength(text, offset);
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::size_t characterCount(std::string_view text, CodePage codePage)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i += characterLength(text, i, codePage))
        ++count;
    return count;
}

bool isCharacterStart(std::string_view text, std::size_t offset, CodePage codePage)
{
    std::size_t i = 0;
    while (i < offset)
        i += characterLength(text, i, codePage);
    return i == offset;
}

std::string replaceAllBytes(
    std::string_view text, std::string_view pattern, std::string_view replacement, CodePage codePage)
{
    if (pattern.empty())
        return std::string(text);
    std::string out;
    std::size_t copied = 0; // text before this is in `out`
    std::size_t frame = 0; // a character start at or before the next candidate
    std::size_t from = 0; // where the next search begins
    while (true) {
        const std::size_t match = text.find(pattern, from);
        if (match == std::string_view::npos)
            break;
        while (frame < match)
            frame += characterLength(text, frame, codePage);
        if (frame != match) {
            // The candidate starts inside a multi-byte character: not a match.
            from = match + 1;
            continue;
        }
        if (out.empty())
            out.reserve(text.size());
        out.append(text.substr(copied, match - copied)).append(replacement);
        copied = frame = from = match + pattern.size();
    }
    if (copied == 0)
        return std::string(text);
    out.append(text.substr(copied));
    return out;
}

} // namespace vantor
