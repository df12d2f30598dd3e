#pragma once

#include "ports/HotKeyService.h"

#include <set>
#include <string>
#include <vector>

namespace vantor::test {

// Global keys as plain state: records every registration and release in order, refuses the keys a test
// marks as taken by another program, and lets a test press a key. Like the real services, a key arrives
// only while it is registered.
class FakeHotKeyService : public HotKeyService {
public:
    enum class Action { Register, Unregister };
    struct Call {
        Action action;
        HotKey key;
        bool operator==(const Call&) const = default;
    };

    // Every registerKey and unregisterKey call, in order, refused registrations included.
    std::vector<Call> calls;
    // Keys another program holds: registering them fails.
    std::set<HotKey> taken;
    // Keys registered and not given back.
    std::set<HotKey> held;
    Handler handler;
    RefusalHandler refusalHandler;
    // What route() names; "portal" with `pending` acts as the desktop portal before its answer.
    std::string routeName = "fake";
    bool pending = false;

    void setHandler(Handler newHandler) override { handler = std::move(newHandler); }
    bool registerKey(HotKey key) override
    {
        calls.push_back({ Action::Register, key });
        if (taken.contains(key))
            return false;
        held.insert(key);
        return true;
    }
    void unregisterKey(HotKey key) override
    {
        calls.push_back({ Action::Unregister, key });
        held.erase(key);
    }
    std::string route() const override { return routeName; }
    void setRefusalHandler(RefusalHandler newHandler) override { refusalHandler = std::move(newHandler); }
    bool answerPending() const override { return pending; }

    // The desktop answers later, as the portal does: the refused keys keep working inside the program, so
    // they stay held.
    void answer(const std::vector<HotKey>& refused)
    {
        pending = false;
        if (refusalHandler)
            refusalHandler(refused);
    }

    void markTaken(HotKey key) { taken.insert(key); }
    bool isHeld(HotKey key) const { return held.contains(key); }

    // The keys of the calls of one kind, in order.
    std::vector<HotKey> keysOf(Action action) const
    {
        std::vector<HotKey> keys;
        for (const Call& call : calls) {
            if (call.action == action)
                keys.push_back(call.key);
        }
        return keys;
    }

    // The user presses the key: false, and nothing happens, when it is not registered or no handler is set.
    bool press(HotKey key)
    {
        if (!held.contains(key) || !handler)
            return false;
        handler(key);
        return true;
    }
};

} // namespace vantor::test
