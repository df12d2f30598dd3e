#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

#include <vector>

class QKeyEvent;

namespace vantor {

// What a key of the main window asks for, beyond the hot keys and the buttons' own keys.
enum class WindowCommand {
    None, // a key the help lists but another part of the program handles
    Slower,
    Faster,
    NormalSpeed,
    BackOne,
    ForwardOne,
    BackFive,
    ForwardFive,
    PlayPause,
    TimingDialog,
    Help,
};

// Every key of the program, in the order the help window lists them: the keys that run a WindowCommand
// and, for the help only, the keys other parts handle (hot keys, Enter, the buttons' Alt keys, the plain
// view's undo keys, the subtitle overlay's key).
struct WindowKey {
    QList<QKeySequence> keys;
    WindowCommand command;
    QString what;
};
const std::vector<WindowKey>& windowKeys();

// The command of a key-down or key-up event (keypad or not); None when it is no command key. The timing
// keys use no key a text field or the window already had.
WindowCommand windowCommandOf(const QKeyEvent& event);

// Undo and redo in the plain view: Ctrl+Z; Ctrl+Shift+Z and Ctrl+Y.
enum class HistoryKey { None, Undo, Redo };
HistoryKey historyKeyOf(const QKeyEvent& event);

// The help window's text: one line per row of windowKeys().
QString keyHelpText();

} // namespace vantor
