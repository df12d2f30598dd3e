#include "X11HotKeyService.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QtGlobal>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>

namespace vantor {

namespace {

constexpr xcb_keysym_t kNumLockSym = 0xff7f;
constexpr xcb_keysym_t kScrollLockSym = 0xff14;
constexpr std::uint8_t kBadAccess = 10;
// Shift, Lock, Control and Mod1..Mod5; the higher bits of a key event's state are mouse buttons and the
// keyboard group, which a key grab does not look at.
constexpr std::uint16_t kModifierBits = 0xff;

xcb_keysym_t keysymOf(HotKey key)
{
    switch (key) {
    case HotKey::F9:
        return 0xffc6;
    case HotKey::F10:
        return 0xffc7;
    case HotKey::F7:
        return 0xffc4;
    case HotKey::F8:
        return 0xffc5;
    }
    return 0;
}

struct KeySymbolsDeleter {
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};
using KeySymbols = std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter>;

struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

// Every keycode that produces the keysym in the current keyboard mapping, without repeats.
std::vector<std::uint8_t> keycodesOf(xcb_connection_t* connection, xcb_keysym_t keysym)
{
    const KeySymbols symbols(xcb_key_symbols_alloc(connection));
    if (!symbols)
        return {};
    const XcbReply<xcb_keycode_t> found(xcb_key_symbols_get_keycode(symbols.get(), keysym));
    std::vector<std::uint8_t> keycodes;
    for (const xcb_keycode_t* code = found.get(); code && *code != XCB_NO_SYMBOL; ++code) {
        if (std::find(keycodes.begin(), keycodes.end(), *code) == keycodes.end())
            keycodes.push_back(*code);
    }
    return keycodes;
}

// The modifier bit whose keys include one producing the keysym; 0 when no modifier carries it.
std::uint16_t modifierMaskOf(
    xcb_connection_t* connection, const xcb_get_modifier_mapping_reply_t& mapping, xcb_keysym_t keysym)
{
    const std::vector<std::uint8_t> wanted = keycodesOf(connection, keysym);
    const xcb_keycode_t* table = xcb_get_modifier_mapping_keycodes(&mapping);
    const int perModifier = mapping.keycodes_per_modifier;
    std::uint16_t mask = 0;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = table[modifier * perModifier + i];
            if (code != XCB_NO_SYMBOL && std::find(wanted.begin(), wanted.end(), code) != wanted.end())
                mask |= static_cast<std::uint16_t>(1u << modifier);
        }
    }
    return mask;
}

} // namespace

xcb_connection_t* X11HotKeyService::applicationConnection()
{
    const auto* application = qGuiApp;
    if (!application)
        return nullptr;
    const auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

X11HotKeyService::X11HotKeyService(xcb_connection_t* connection)
    : m_connection(connection)
{
    for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); screens.rem;
         xcb_screen_next(&screens))
        m_roots.push_back(screens.data->root);

    std::uint16_t numLock = 0;
    std::uint16_t scrollLock = 0;
    const XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
    if (mapping) {
        numLock = modifierMaskOf(m_connection, *mapping, kNumLockSym);
        scrollLock = modifierMaskOf(m_connection, *mapping, kScrollLockSym);
    }
    const std::uint16_t locks[] = { XCB_MOD_MASK_LOCK, numLock, scrollLock };
    // A lock without a modifier bit (ScrollLock on most keymaps) adds nothing; the set drops repeats.
    std::set<std::uint16_t> combinations;
    for (unsigned subset = 0; subset < 8; ++subset) {
        std::uint16_t mask = 0;
        for (unsigned i = 0; i < 3; ++i) {
            if (subset & (1u << i))
                mask |= locks[i];
        }
        combinations.insert(mask);
    }
    m_lockCombinations.assign(combinations.begin(), combinations.end());
    for (std::uint16_t mask : m_lockCombinations)
        m_lockMask |= mask;

    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKeyService::~X11HotKeyService()
{
    // Without the application its xcb connection is gone, and the server has dropped the grabs with it.
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const auto& [key, keycodes] : m_keycodes)
        ungrab(keycodes);
    xcb_flush(m_connection);
}

void X11HotKeyService::setHandler(Handler handler)
{
    m_handler = std::move(handler);
}

bool X11HotKeyService::registerKey(HotKey key)
{
    if (m_keycodes.contains(key))
        return true;
    const std::vector<std::uint8_t> keycodes = keycodesOf(m_connection, keysymOf(key));
    if (keycodes.empty())
        return false;

    struct Attempt {
        xcb_window_t root;
        std::uint8_t keycode;
        std::uint16_t modifiers;
        xcb_void_cookie_t cookie;
    };
    // All grabs go out before the first answer is awaited: one round trip for the key, not one per grab.
    std::vector<Attempt> attempts;
    for (xcb_window_t root : m_roots) {
        for (std::uint8_t keycode : keycodes) {
            for (std::uint16_t modifiers : m_lockCombinations) {
                attempts.push_back({ root, keycode, modifiers,
                    xcb_grab_key_checked(m_connection, 0, root, modifiers, keycode, XCB_GRAB_MODE_ASYNC,
                        XCB_GRAB_MODE_ASYNC) });
            }
        }
    }
    bool refused = false;
    std::vector<const Attempt*> held;
    for (const Attempt& attempt : attempts) {
        const XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, attempt.cookie));
        if (!error) {
            held.push_back(&attempt);
            continue;
        }
        // BadAccess: another client holds this key with these modifiers. Anything else is unexpected.
        if (error->error_code != kBadAccess)
            qWarning("Grabbing keycode %u (modifiers 0x%x) failed with X error %u", attempt.keycode,
                attempt.modifiers, error->error_code);
        refused = true;
    }
    if (refused) {
        // A key held only in some lock states would act on and off with NumLock: give back what we got.
        for (const Attempt* attempt : held)
            xcb_ungrab_key(m_connection, attempt->keycode, attempt->root, attempt->modifiers);
        xcb_flush(m_connection);
        return false;
    }
    m_keycodes.emplace(key, keycodes);
    return true;
}

void X11HotKeyService::unregisterKey(HotKey key)
{
    const auto found = m_keycodes.find(key);
    if (found == m_keycodes.end())
        return;
    ungrab(found->second);
    xcb_flush(m_connection);
    m_keycodes.erase(found);
}

std::string X11HotKeyService::route() const
{
    return "X11";
}

void X11HotKeyService::ungrab(const std::vector<std::uint8_t>& keycodes)
{
    for (xcb_window_t root : m_roots) {
        for (std::uint8_t keycode : keycodes) {
            for (std::uint16_t modifiers : m_lockCombinations)
                xcb_ungrab_key(m_connection, keycode, root, modifiers);
        }
    }
}

std::optional<HotKey> X11HotKeyService::keyOfKeycode(std::uint8_t keycode) const
{
    for (const auto& [key, keycodes] : m_keycodes) {
        if (std::find(keycodes.begin(), keycodes.end(), keycode) != keycodes.end())
            return key;
    }
    return std::nullopt;
}

bool X11HotKeyService::isGrabWindow(std::uint32_t window) const
{
    return std::find(m_roots.begin(), m_roots.end(), window) != m_roots.end();
}

bool X11HotKeyService::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & ~0x80;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    // Press and release share one layout. Only our grabs report a key on a root window; keys typed into
    // our own windows name those windows and go on to Qt.
    const auto* keyEvent = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (!isGrabWindow(keyEvent->event) || (keyEvent->state & kModifierBits & ~m_lockMask) != 0)
        return false;
    const std::optional<HotKey> key = keyOfKeycode(keyEvent->detail);
    if (!key)
        return false;
    if (type == XCB_KEY_PRESS)
        deliver(*key);
    return true;
}

void X11HotKeyService::deliver(HotKey key)
{
    QMetaObject::invokeMethod(
        &m_queue,
        [this, key] {
            // A key given back after its press was queued no longer arrives.
            if (!m_keycodes.contains(key) || !m_handler)
                return;
            const Handler handler = m_handler;
            handler(key);
        },
        Qt::QueuedConnection);
}

} // namespace vantor
