// The conversions and text rules the documents rest on: colour texts, time codes, position texts, integer
// parsing, line splitting, replacement at character starts and the style block readers. Input: a byte
// choosing the conversion, then its arguments. No input may crash one or make it undefined; each round trip
// holds on the domain stated beside it.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "FuzzOracles.h"
#include "model/Text.h"
#include "model/TextDocument.h"
#include "model/VantorError.h"
#include "srt/StyleTags.h"
#include "srt/TimeCode.h"
#include "style/Restyle.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vantor::fuzz {
namespace {

std::string shortText(FuzzInput& input)
{
    return input.bytes(input.byte());
}

// HexTextToColor: six hex digits RRGGBB (either case, anything after ignored) give red + green * 256 +
// blue * 65536, and ColorToHexText gives the six digits back in upper case. Any other text fails with the
// conversion error naming the first bad pair, in the order blue, green, red.
void colourText(FuzzInput& input)
{
    const std::string text = shortText(input);
    const auto pairAt
        = [&](std::size_t from) { return from < text.size() ? text.substr(from, 2) : std::string(); };
    const auto hexPair = [](const std::string& pair) {
        return pair.size() == 2 && std::isxdigit(static_cast<unsigned char>(pair[0]))
            && std::isxdigit(static_cast<unsigned char>(pair[1]));
    };
    std::string badPair;
    bool bad = false;
    for (const std::size_t from : { 4u, 2u, 0u }) {
        if (!hexPair(pairAt(from))) {
            badPair = pairAt(from);
            bad = true;
            break;
        }
    }
    try {
        const std::uint32_t colour = HexTextToColor(text);
        check(!bad, "a colour text with a pair that is not hexadecimal fails");
        const auto value
            = [&](std::size_t from) { return std::strtoul(text.substr(from, 2).c_str(), nullptr, 16); };
        check(colour == value(0) + value(2) * 256 + value(4) * 65536,
            "RRGGBB is red + green * 256 + blue * 65536");
        std::string upper = text.substr(0, 6);
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        check(ColorToHexText(colour) == upper, "ColorToHexText gives the six digits back in upper case");
    } catch (const Error& error) {
        check(bad, "a colour text of six hexadecimal digits converts");
        // what() ends at a NUL the pair may hold.
        const std::string expected = "'$" + badPair + "' is not a valid integer value";
        check(error.what() == std::string(expected.c_str()), "the error names the first bad pair");
    }
}

// ColorToHexText then HexTextToColor gives back the colour without bits 24-31, for every 32-bit value.
void colourValue(FuzzInput& input)
{
    std::uint32_t colour = 0;
    for (int i = 0; i < 4; ++i)
        colour = colour << 8 | input.byte();
    const std::string text = ColorToHexText(colour);
    check(text.size() == 6, "a colour text has six digits");
    for (const char c : text)
        check(std::isxdigit(static_cast<unsigned char>(c)) && !std::islower(static_cast<unsigned char>(c)),
            "a colour text is upper-case hexadecimal");
    check(HexTextToColor(text) == (colour & 0xFFFFFF), "a colour survives its text");
}

// A player position of any bit pattern (NaN and infinities included) writes as text; a finite one reads
// back to a value that writes as the same text (below about 1.8e308). The milliseconds are always three
// characters, and three digits for 0 and for positions from 1e-4 below 1e15, where "%.15g" writes no
// exponent.
void positionText(FuzzInput& input)
{
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = bits << 8 | input.byte();
    double position;
    std::memcpy(&position, &bits, sizeof position);
    const std::string text = formatPositionSeconds(position);
    check(!text.empty() && text.size() < 32, "a position writes as a short text");
    // Fifteen digits round the largest doubles up past the largest double, which reads back as infinity.
    const double back = std::strtod(text.c_str(), nullptr);
    if (std::isfinite(position) && std::isfinite(back))
        check(formatPositionSeconds(back) == text, "a position text reads back");
    const std::string milliseconds = millisecondsOf(text);
    check(milliseconds.size() == 3, "milliseconds are three characters");
    const double magnitude = std::fabs(position);
    if (magnitude == 0 || (magnitude >= 1e-4 && magnitude < 1e15)) {
        for (const char c : milliseconds)
            check(c >= '0' && c <= '9', "milliseconds of an ordinary position are digits");
    }
}

// The first three characters after the first "." of any text, filled with "0" to three.
void millisecondsText(FuzzInput& input)
{
    const std::string text = shortText(input);
    const auto dot = text.find('.');
    std::string expected = dot == std::string::npos ? std::string() : text.substr(dot + 1, 3);
    expected.resize(3, '0');
    check(millisecondsOf(text) == expected, "milliseconds are the three characters after the first point");
}

// parseInteger takes an optional sign and one or more decimal digits, nothing else, and fails on any other
// text and on magnitudes above LLONG_MAX (so LLONG_MIN itself is not accepted). Every other long long
// survives its decimal text.
void integerText(FuzzInput& input)
{
    const std::string text = shortText(input);
    std::size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    bool wellFormed = i < text.size();
    unsigned __int128 magnitude = 0;
    for (std::size_t k = i; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9') {
            wellFormed = false;
            break;
        }
        if (magnitude <= static_cast<unsigned __int128>(LLONG_MAX))
            magnitude = magnitude * 10 + static_cast<unsigned>(text[k] - '0');
    }
    const bool fits = wellFormed && magnitude <= static_cast<unsigned __int128>(LLONG_MAX);
    try {
        const long long value = parseInteger(text);
        check(fits, "only a sign and digits within range parse");
        const long long expected = static_cast<long long>(magnitude);
        check(value == (!text.empty() && text[0] == '-' ? -expected : expected),
            "an integer text parses to its value");
    } catch (const Error& error) {
        check(!fits, "a sign and digits within range parse");
        const std::string expected = "'" + text + "' is not a valid integer value";
        check(error.what() == std::string(expected.c_str()), "the error names the text");
    }
    long long value = 0;
    for (int k = 0; k < 8; ++k)
        value = static_cast<long long>(static_cast<unsigned long long>(value) << 8 | input.byte());
    if (value != LLONG_MIN)
        check(parseInteger(std::to_string(value)) == value, "a long long survives its decimal text");
}

// timeCodeToSeconds reads hours, minutes, seconds and milliseconds at their fixed places and fails when a
// part is not an integer. For a code hh:mm:ss,mmm of digits with minutes and seconds below 60 the seconds
// give the code back.
void timeCode(FuzzInput& input)
{
    std::string text = shortText(input);
    if (input.flag()) {
        // A well-formed code, so that the round trip is reached.
        char code[16];
        std::snprintf(code, sizeof code, "%02d:%02d:%02d,%03d", static_cast<int>(input.below(100)),
            static_cast<int>(input.below(60)), static_cast<int>(input.below(60)),
            static_cast<int>((input.byte() << 8 | input.byte()) % 1000));
        text = code;
    }
    Seconds seconds;
    try {
        seconds = timeCodeToSeconds(text);
    } catch (const Error&) {
        return;
    }
    check(std::isfinite(static_cast<double>(seconds)), "a time code converts to finite seconds");
    const bool shaped = text.size() == 12 && text[2] == ':' && text[5] == ':' && text[8] == ',';
    bool digits = shaped;
    for (const std::size_t k : { 0, 1, 3, 4, 6, 7, 9, 10, 11 })
        digits = digits && std::isdigit(static_cast<unsigned char>(text[k]));
    if (!digits || text[3] > '5' || text[6] > '5')
        return;
    const auto whole = static_cast<long long>(std::floor(seconds));
    const long long milliseconds = std::llround((seconds - static_cast<Seconds>(whole)) * 1000);
    char back[32];
    std::snprintf(back, sizeof back, "%02lld:%02lld:%02lld,%03lld", whole / 3600, whole / 60 % 60, whole % 60,
        milliseconds);
    check(text == back, "a time code survives its seconds");
}

// The file's lines: the core's split agrees with the rule's own.
void lines(FuzzInput& input)
{
    const std::string text = input.bytes(input.byte() << 2);
    check(splitLines(text) == splitFileLines(text), "a text splits into the lines of the rule");
    TextDocument document;
    document.setWholeText(text);
    TextDocument again;
    again.setWholeText(document.text());
    check(again.lines() == document.lines(), "a document's text gives its lines back");
}

// Replacement at character starts agrees with the rule's own, and the character functions with the framing.
void replacement(FuzzInput& input)
{
    const CodePage codePage = input.flag() ? CodePage::Utf8 : CodePage::Gbk;
    const std::string text = shortText(input);
    const std::string pattern = input.bytes(input.below(6));
    const std::string replacement = input.bytes(input.below(6));
    check(replaceAllBytes(text, pattern, replacement, codePage)
            == replaceAtCharacters(text, pattern, replacement, codePage),
        "replacement takes every match at a character start and no other");
    std::size_t characters = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool start = i == next;
        if (start) {
            ++characters;
            next += frameLength(text, i, codePage);
            check(characterLength(text, i, codePage) == next - i, "a character's length follows the framing");
        }
        check(isCharacterStart(text, i, codePage) == start, "character starts follow the framing");
    }
    check(characterCount(text, codePage) == characters, "the character count follows the framing");
    const std::string trimmed = trimControl(text);
    check(trimmed.empty()
            || (static_cast<unsigned char>(trimmed.front()) > 32
                && static_cast<unsigned char>(trimmed.back()) > 32),
        "a trimmed text has no control character at either end");
}

// The style block readers take any line or text: the blocks they find lie where their rules say.
void styleBlocks(FuzzInput& input)
{
    const CodePage codePage = input.flag() ? CodePage::Utf8 : CodePage::Gbk;
    const std::string text = input.bytes(input.byte() << 1);
    const StyleBlock block = leadingStyleBlock(text, codePage);
    check(block.length <= text.size(), "a leading block lies within its line");
    if (block.kind == StyleBlockKind::DefaultBold)
        check(text[0] == '{' && text.substr(block.length - 3, 3) == "<b>", "a default block is {...}<b>");
    if (block.kind == StyleBlockKind::Custom || block.kind == StyleBlockKind::Override)
        check((text[0] == '<' || text[0] == '{') && text[block.length - 1] == '}', "a block ends in }");
    const std::vector<std::string> all = splitFileLines(text);
    for (const std::string& located :
        { locateCustomBlock(text, codePage), locateDefaultBlock(text, 3, codePage) }) {
        if (located.empty())
            continue;
        check(located.find_first_of("\r\n") == std::string::npos, "a located block lies within one line");
        check(opensLineBelowTimeLine(located, all), "a located block opens a line below a time line");
    }
    const CustomStyleReadBack style = readBackCustomStyle(text);
    check(style.colourText.size() <= 7 && style.fontSize.size() <= 2 && style.left.size() <= 3
            && style.top.size() <= 3,
        "read-back fields keep their widths");
    mayBeCustomStyled(text);
    const std::string balanced
        = balanceBoldEnd(text, input.flag() ? RestyleTarget::Custom : RestyleTarget::Default);
    check(balanced.size() + 4 == text.size() || balanced.size() == text.size()
            || balanced.size() == text.size() + 4,
        "balancing the bold end adds or removes at most one </b>");
}

} // namespace
} // namespace vantor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vantor::fuzz;
    FuzzInput input(data, size);
    while (!input.empty()) {
        switch (input.below(9)) {
        case 0:
            colourText(input);
            break;
        case 1:
            colourValue(input);
            break;
        case 2:
            positionText(input);
            break;
        case 3:
            millisecondsText(input);
            break;
        case 4:
            integerText(input);
            break;
        case 5:
            timeCode(input);
            break;
        case 6:
            lines(input);
            break;
        case 7:
            replacement(input);
            break;
        case 8:
            styleBlocks(input);
            break;
        }
    }
    return 0;
}
