#pragma once

namespace vantor {

// Key codes as the windows' key-down handlers hand them to the core: one code per key on the keyboard,
// whatever character it types (the codes the program's key rules were written in). Qt numbers its keys
// differently, and some of its numbers are codes of other keys here (Qt's "." is 46, the Delete key's code
// here), so the windows translate every key at their edge (ui/KeyCodes.h) and nothing else spells a code.
namespace keys {

inline constexpr int kNone = 0; // a key with no code here (an input method's characters, media keys)
inline constexpr int kBackspace = 8;
inline constexpr int kTab = 9;
inline constexpr int kEnter = 13; // both Enter keys
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kAlt = 18;
inline constexpr int kPause = 19;
inline constexpr int kCapsLock = 20;
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
inline constexpr int kPageUp = 33;
inline constexpr int kPageDown = 34;
inline constexpr int kEnd = 35;
inline constexpr int kHome = 36;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kInsert = 45;
inline constexpr int kDelete = 46;
// The digit keys of the main block are '0'..'9' (48..57), the letter keys 'A'..'Z' (65..90).
inline constexpr int kMenu = 93;
inline constexpr int kNumpad0 = 96; // .. kNumpad0 + 9
inline constexpr int kMultiply = 106;
inline constexpr int kAdd = 107;
inline constexpr int kSubtract = 109;
inline constexpr int kDecimal = 110;
inline constexpr int kDivide = 111;
inline constexpr int kF1 = 112; // .. kF1 + 23 for F24
inline constexpr int kNumLock = 144;
inline constexpr int kScrollLock = 145;
// The punctuation keys, named by what they type on a US keyboard without Shift.
inline constexpr int kSemicolon = 186;
inline constexpr int kEquals = 187;
inline constexpr int kComma = 188;
inline constexpr int kMinus = 189;
inline constexpr int kPeriod = 190;
inline constexpr int kSlash = 191;
inline constexpr int kGrave = 192;
inline constexpr int kBracketLeft = 219;
inline constexpr int kBackslash = 220;
inline constexpr int kBracketRight = 221;
inline constexpr int kQuote = 222;

// The key that types a printable ASCII character on a US keyboard (with or without Shift); kNone for
// any other character.
constexpr int keyOfCharacter(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<int>(c - 'a') + 'A';
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return static_cast<int>(c);
    switch (c) {
    case ' ':
        return kSpace;
    case '!':
        return '1';
    case '@':
        return '2';
    case '#':
        return '3';
    case '$':
        return '4';
    case '%':
        return '5';
    case '^':
        return '6';
    case '&':
        return '7';
    case '*':
        return '8';
    case '(':
        return '9';
    case ')':
        return '0';
    case ';':
    case ':':
        return kSemicolon;
    case '=':
    case '+':
        return kEquals;
    case ',':
    case '<':
        return kComma;
    case '-':
    case '_':
        return kMinus;
    case '.':
    case '>':
        return kPeriod;
    case '/':
    case '?':
        return kSlash;
    case '`':
    case '~':
        return kGrave;
    case '[':
    case '{':
        return kBracketLeft;
    case '\\':
    case '|':
        return kBackslash;
    case ']':
    case '}':
        return kBracketRight;
    case '\'':
    case '"':
        return kQuote;
    default:
        return kNone;
    }
}

} // namespace keys

} // namespace vantor
