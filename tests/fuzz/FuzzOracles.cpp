#include "FuzzOracles.h"

namespace vantor::fuzz {

std::vector<std::string> splitFileLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::string current;
    bool open = false; // a line has begun and has not ended
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            open = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            continue;
        }
        current += c;
        open = true;
    }
    if (open)
        lines.push_back(current);
    return lines;
}

std::size_t frameLength(std::string_view text, std::size_t offset, CodePage codePage)
{
    const auto at = [&](std::size_t k) -> int {
        return offset + k < text.size() ? static_cast<unsigned char>(text[offset + k]) : -1;
    };
    const int lead = at(0);
    if (codePage == CodePage::Gbk) {
        if (lead < 0x81 || lead > 0xFE)
            return 1;
        const int second = at(1);
        if (second >= 0x40 && second <= 0xFE && second != 0x7F)
            return 2;
        if (second >= 0x30 && second <= 0x39 && at(2) >= 0x81 && at(2) <= 0xFE && at(3) >= 0x30
            && at(3) <= 0x39)
            return 4;
        return 1;
    }
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    for (std::size_t k = 1; k < length; ++k) {
        const int next = at(k);
        if (next < 0x80 || next > 0xBF)
            return 1;
    }
    return length;
}

std::string replaceAtCharacters(
    std::string_view text, std::string_view pattern, std::string_view replacement, CodePage codePage)
{
    if (pattern.empty())
        return std::string(text);
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.substr(i, pattern.size()) == pattern) {
            out += replacement;
            i += pattern.size();
            continue;
        }
        const std::size_t length = frameLength(text, i, codePage);
        out += text.substr(i, length);
        i += length;
    }
    return out;
}

bool isWrittenTimeLine(std::string_view line)
{
    static constexpr std::string_view shape = "00:00:00,000 --> 00:00:00,000";
    if (line.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = line[i] >= '0' && line[i] <= '9';
        if (shape[i] == '0' ? !digit : line[i] != shape[i])
            return false;
    }
    return true;
}

bool isEntryNumber(std::string_view line)
{
    if (line.empty())
        return false;
    for (const char c : line) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

bool opensLineBelowTimeLine(std::string_view block, const std::vector<std::string>& lines)
{
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (!lines[i].starts_with(block))
            continue;
        std::size_t above = i - 1;
        if (lines[above].empty() && above > 0)
            --above;
        if (contains(lines[above], "-->"))
            return true;
    }
    return false;
}

std::u16string utf16FromUtf8(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(utf8[k]); };
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = byte(i);
        std::size_t length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, cp = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, cp = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, cp = lead & 0x07, minimum = 0x10000;
        }
        bool valid = length != 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80)
                valid = false;
            else
                cp = (cp << 6) | (byte(i + k) & 0x3F);
        }
        if (valid && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            valid = false;
        if (!valid) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += length;
    }
    return out;
}

std::string utf8Of(char32_t cp)
{
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

std::string utf8FromUtf16(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00
            && utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // a lone surrogate, as QString::toUtf8 writes it
        }
        out += utf8Of(cp);
    }
    return out;
}

} // namespace vantor::fuzz
