#include "KeyCodes.h"

#include "ports/Keys.h"

#include <QKeyEvent>

#include <unordered_map>

namespace vantor {

namespace {

// Keys that type no character. Qt numbers the keys of printable ASCII characters by the character (letters
// in upper case), which keys::keyOfCharacter answers.
const std::unordered_map<int, int>& keyTable()
{
    static const std::unordered_map<int, int> table {
        { Qt::Key_Backspace, keys::kBackspace },
        { Qt::Key_Tab, keys::kTab },
        { Qt::Key_Backtab, keys::kTab },
        { Qt::Key_Return, keys::kEnter },
        { Qt::Key_Enter, keys::kEnter },
        { Qt::Key_Shift, keys::kShift },
        { Qt::Key_Control, keys::kControl },
        { Qt::Key_Alt, keys::kAlt },
        { Qt::Key_AltGr, keys::kAlt },
        { Qt::Key_Pause, keys::kPause },
        { Qt::Key_CapsLock, keys::kCapsLock },
        { Qt::Key_Escape, keys::kEscape },
        { Qt::Key_Space, keys::kSpace },
        { Qt::Key_PageUp, keys::kPageUp },
        { Qt::Key_PageDown, keys::kPageDown },
        { Qt::Key_End, keys::kEnd },
        { Qt::Key_Home, keys::kHome },
        { Qt::Key_Left, keys::kLeft },
        { Qt::Key_Up, keys::kUp },
        { Qt::Key_Right, keys::kRight },
        { Qt::Key_Down, keys::kDown },
        { Qt::Key_Insert, keys::kInsert },
        { Qt::Key_Delete, keys::kDelete },
        { Qt::Key_Menu, keys::kMenu },
        { Qt::Key_NumLock, keys::kNumLock },
        { Qt::Key_ScrollLock, keys::kScrollLock },
    };
    return table;
}

// The keypad's own keys, which Qt reports with the keypad modifier and the code of the main block's key.
int keypadCode(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keys::kNumpad0 + (key - Qt::Key_0);
    switch (key) {
    case Qt::Key_Asterisk:
        return keys::kMultiply;
    case Qt::Key_Plus:
        return keys::kAdd;
    case Qt::Key_Minus:
        return keys::kSubtract;
    case Qt::Key_Period:
    case Qt::Key_Comma: // the decimal key of keyboards whose locale writes a decimal comma
        return keys::kDecimal;
    case Qt::Key_Slash:
        return keys::kDivide;
    default:
        return keys::kNone;
    }
}

} // namespace

int keyCode(const QKeyEvent& event)
{
    const int key = event.key();
    if (event.modifiers().testFlag(Qt::KeypadModifier)) {
        if (const int code = keypadCode(key); code != keys::kNone)
            return code;
    }
    if (key > Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        return keys::keyOfCharacter(static_cast<char32_t>(key));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return keys::kF1 + (key - Qt::Key_F1);
    const auto& table = keyTable();
    const auto found = table.find(key);
    return found == table.end() ? keys::kNone : found->second;
}

} // namespace vantor
