#pragma once

#include "ports/HotKeyService.h"

#include <QPointer>
#include <QShortcut>
#include <QWidget>

#include <map>

namespace vantor {

// F9, F10, F7 and F8 where the platform offers no global keys (offscreen, Wayland): application-wide
// shortcuts on the main window. The keys then arrive only while one of this program's windows is active,
// and not while a modal dialog blocks the main window. Nothing can refuse them.
//
// The shortcuts are children of the main window; the window may be destroyed before this service.
class ShortcutHotKeyService final : public HotKeyService {
public:
    explicit ShortcutHotKeyService(QWidget& mainWindow);
    ~ShortcutHotKeyService() override;
    ShortcutHotKeyService(const ShortcutHotKeyService&) = delete;
    ShortcutHotKeyService& operator=(const ShortcutHotKeyService&) = delete;

    void setHandler(Handler handler) override;
    // False only once the main window is gone.
    bool registerKey(HotKey key) override;
    void unregisterKey(HotKey key) override;
    std::string route() const override;

private:
    void deliver(HotKey key);

    QPointer<QWidget> m_window;
    std::map<HotKey, QPointer<QShortcut>> m_shortcuts;
    Handler m_handler;
};

} // namespace vantor
