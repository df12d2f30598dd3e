#pragma once

#include "ports/HotKeyService.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

struct xcb_connection_t;

namespace vantor {

// F9, F10, F7 and F8 for the whole X display: passive grabs of each key on every root window, so the key
// reaches this program whichever client has the focus, and no other client sees it.
//
// A grab matches the modifier state exactly, so each key is grabbed once for every combination of the lock
// modifiers (NumLock, CapsLock, ScrollLock): otherwise F9 with NumLock on would go to the focused program.
// Keys with Shift, Control, Alt or the like are not grabbed and go where they always went.
//
// The keyboard's auto-repeat sends one press per repeat while a key is held; every press is passed on (the
// capture keys are made to be pressed again while held), and the receiver decides what a repeat means.
//
// Lives on the user-interface thread, inside the QGuiApplication whose xcb connection it uses, and must be
// destroyed before it. The keycodes are looked up when a key is registered; a keyboard mapping changed
// later (setxkbmap) is not followed until the key is registered again.
class X11HotKeyService final : public HotKeyService, private QAbstractNativeEventFilter {
public:
    // The connection of Qt's xcb platform; null on any other platform.
    static xcb_connection_t* applicationConnection();

    explicit X11HotKeyService(xcb_connection_t* connection);
    ~X11HotKeyService() override;
    X11HotKeyService(const X11HotKeyService&) = delete;
    X11HotKeyService& operator=(const X11HotKeyService&) = delete;

    void setHandler(Handler handler) override;
    bool registerKey(HotKey key) override;
    void unregisterKey(HotKey key) override;
    std::string route() const override;

    // The lock modifiers each key is grabbed with (0 included): the masks of NumLock, CapsLock and
    // ScrollLock found in the server's modifier mapping, in every combination.
    const std::vector<std::uint16_t>& lockCombinations() const { return m_lockCombinations; }

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    std::optional<HotKey> keyOfKeycode(std::uint8_t keycode) const;
    bool isGrabWindow(std::uint32_t window) const;
    void ungrab(const std::vector<std::uint8_t>& keycodes);
    void deliver(HotKey key);

    xcb_connection_t* m_connection;
    std::vector<std::uint32_t> m_roots;
    std::uint16_t m_lockMask = 0;
    std::vector<std::uint16_t> m_lockCombinations;
    std::map<HotKey, std::vector<std::uint8_t>> m_keycodes;
    Handler m_handler;
    // Presses are handed on through this object's queue: the handler then runs outside Qt's xcb event
    // dispatch and may open modal dialogs. Queued presses die with it.
    QObject m_queue;
};

} // namespace vantor
