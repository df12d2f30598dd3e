#include "HotKeyServiceFactory.h"

#include "ShortcutHotKeyService.h"
#include "X11HotKeyService.h"

#include <QGuiApplication>

namespace vantor {

std::unique_ptr<HotKeyService> makeHotKeyService(QWidget& mainWindow)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (xcb_connection_t* connection = X11HotKeyService::applicationConnection())
            return std::make_unique<X11HotKeyService>(connection);
    }
    return std::make_unique<ShortcutHotKeyService>(mainWindow);
}

} // namespace vantor
