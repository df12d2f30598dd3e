#include "HotKeyServiceFactory.h"

#include "PortalHotKeyService.h"
#include "ShortcutHotKeyService.h"
#include "X11HotKeyService.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

namespace vantor {

bool isWaylandSession(const char* waylandDisplay, const char* sessionType)
{
    return (waylandDisplay && *waylandDisplay) || (sessionType && std::strcmp(sessionType, "wayland") == 0);
}

HotKeyRoute chooseHotKeyRoute(bool waylandSession, bool portalAnswers, bool onX11)
{
    if (waylandSession && portalAnswers)
        return HotKeyRoute::Portal;
    if (onX11)
        return HotKeyRoute::X11;
    return HotKeyRoute::Application;
}

std::unique_ptr<HotKeyService> makeHotKeyService(QWidget& mainWindow)
{
    const bool wayland = isWaylandSession(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE"));
    std::unique_ptr<PortalHotKeyService> portal;
    if (wayland)
        portal = PortalHotKeyService::connectToPortal(
            mainWindow, QDBusConnection::sessionBus(), QGuiApplication::desktopFileName());
    xcb_connection_t* x11 = QGuiApplication::platformName() == QLatin1String("xcb")
        ? X11HotKeyService::applicationConnection()
        : nullptr;
    switch (chooseHotKeyRoute(wayland, portal != nullptr, x11 != nullptr)) {
    case HotKeyRoute::Portal:
        return portal;
    case HotKeyRoute::X11:
        return std::make_unique<X11HotKeyService>(x11);
    case HotKeyRoute::Application:
        break;
    }
    return std::make_unique<ShortcutHotKeyService>(mainWindow);
}

} // namespace vantor
