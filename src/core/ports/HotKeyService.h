#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// The four system-wide keys, in the order they are registered.
enum class HotKey { F9, F10, F7, F8 };

inline constexpr HotKey kHotKeysInOrder[] = { HotKey::F9, HotKey::F10, HotKey::F7, HotKey::F8 };

// Identifier of each key in the hot-key service.
constexpr std::string_view hotKeyName(HotKey key)
{
    switch (key) {
    case HotKey::F9:
        return "RvoHotKeyLeft";
    case HotKey::F10:
        return "RvoHotKeyRight";
    case HotKey::F7:
        return "RvoHotKeyF7";
    case HotKey::F8:
        return "RvoHotKeyF8";
    }
    return {};
}

// The key's name as the keyboard shows it: "F9", "F10", "F7", "F8".
inline std::string hotKeyLabel(HotKey key)
{
    switch (key) {
    case HotKey::F9:
        return "F9";
    case HotKey::F10:
        return "F10";
    case HotKey::F7:
        return "F7";
    case HotKey::F8:
        return "F8";
    }
    return {};
}

// Reaches F9, F10, F7 and F8 whichever window is in front (or, where the platform offers no global keys,
// while the program is in front). Presses arrive on the user-interface thread through the handler.
//
// Some platforms answer at once (X11 grabs, in-window shortcuts); the desktop portal asks the desktop, which
// may ask the user, and answers later. There registerKey returns true for a key it has asked for, the keys
// work inside the program until the answer comes, and the answer arrives through the refusal handler: the
// keys the desktop did not grant, which keep working inside the program only. The answer can change later
// (the user changed the keys in the desktop's settings, the portal went away or came back).
class HotKeyService {
public:
    using Handler = std::function<void(HotKey)>;
    using RefusalHandler = std::function<void(const std::vector<HotKey>& refused)>;
    virtual ~HotKeyService() = default;

    virtual void setHandler(Handler handler) = 0;
    // Registers one key without modifiers. False when the platform refused it (another program holds it);
    // the key then never arrives. Never throws.
    virtual bool registerKey(HotKey key) = 0;
    // Gives the key back; a key that was not registered is ignored.
    virtual void unregisterKey(HotKey key) = 0;
    // Human-readable name of the route the keys take ("X11", "portal", "application"), for messages and
    // logs.
    virtual std::string route() const = 0;
    // Services that answer later call the handler, on the user-interface thread, with the registered keys
    // the desktop refused, each time that answer changes. Services that answer at once never call it.
    virtual void setRefusalHandler(RefusalHandler handler) { (void)handler; }
    // True from a registration until the desktop's first answer to it.
    virtual bool answerPending() const { return false; }
};

} // namespace vantor
