#pragma once

#include "ports/HotKeyService.h"

#include <memory>

class QWidget;

namespace vantor {

enum class HotKeyRoute { Portal, X11, Application };

// Whether the desktop session runs Wayland, from its environment (WAYLAND_DISPLAY, XDG_SESSION_TYPE; either
// may be null). True also when this program itself runs on X through XWayland: X grabs there see keys only
// while an X window has the focus.
bool isWaylandSession(const char* waylandDisplay, const char* sessionType);

// The route of the keys: in a Wayland session the desktop portal when it answers; the X display's grabs
// when the program runs on X; otherwise shortcuts inside the program.
HotKeyRoute chooseHotKeyRoute(bool waylandSession, bool portalAnswers, bool onX11);

// The service of the route chooseHotKeyRoute picks for this process. The portal is asked only in a Wayland
// session, on the session bus, under the application's desktop file name. X11 keys are registered one by
// one and a false from registerKey means another program holds the key; the portal answers later (see
// HotKeyService).
std::unique_ptr<HotKeyService> makeHotKeyService(QWidget& mainWindow);

} // namespace vantor
