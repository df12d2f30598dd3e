#pragma once

class QKeyEvent;

namespace vantor {

// The code of the key behind a Qt key event, as the core's key rules know it (ports/Keys.h): one code per
// key whatever character it types, so "." and "Delete" never meet. keys::kNone for keys the rules never
// need (an input method's characters, media keys).
int keyCode(const QKeyEvent& event);

} // namespace vantor
