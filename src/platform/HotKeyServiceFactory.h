#pragma once

#include "ports/HotKeyService.h"

#include <memory>

class QWidget;

namespace vantor {

// The global keys of the X display when the program runs on X (Qt's "xcb" platform), otherwise keys that
// work inside the program only, through shortcuts on the main window. The caller registers the keys one by
// one; a false from registerKey means another program holds that key and it will not arrive.
std::unique_ptr<HotKeyService> makeHotKeyService(QWidget& mainWindow);

} // namespace vantor
