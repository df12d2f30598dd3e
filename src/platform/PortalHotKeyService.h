#pragma once

#include "PortalProxies.h"
#include "ShortcutHotKeyService.h"
#include "ports/HotKeyService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <set>
#include <string>
#include <vector>

class QDBusServiceWatcher;
class QWidget;

namespace vantor {

// F9, F10, F7 and F8 for the whole desktop through the portal's GlobalShortcuts interface (Wayland, where a
// client cannot grab keys). The keys registered in one turn of the event loop go to the portal as one
// session with one BindShortcuts call; the desktop may ask the user, so the answer comes later, through the
// refusal handler. Until a key is granted, and for every key the desktop refused, an in-window shortcut
// stands in for it: the key then works while this program is in front.
//
// Each portal call answers through a Request object whose path is predicted from the call's handle_token
// and the connection's unique name; the Response signal is subscribed before the call, since the portal may
// answer before the call's reply arrives.
//
// A portal that goes away (its bus name loses its owner) takes the session with it: every key falls back
// to the window until a portal owns the name again; then the program registers again and binds the keys
// in a new session. The session is closed when the last key is given back and when the service dies.
//
// Lives on the user-interface thread; the window must outlive the service or be destroyed first (the
// in-window shortcuts follow it).
class PortalHotKeyService final : public QObject, public HotKeyService {
    Q_OBJECT
public:
    // Null when no portal answers on `bus` or it lacks GlobalShortcuts. Before anything else the program
    // makes itself known as `appId` (the desktop file's name without ".desktop") where the portal offers
    // the host registry; a portal without it (Debian 12's 1.16) is used all the same. Waits for each answer
    // at most `timeoutMs` (the bus may start the portal first).
    static std::unique_ptr<PortalHotKeyService> connectToPortal(
        QWidget& window, const QDBusConnection& bus, const QString& appId, int timeoutMs = 5000);

    ~PortalHotKeyService() override;
    PortalHotKeyService(const PortalHotKeyService&) = delete;
    PortalHotKeyService& operator=(const PortalHotKeyService&) = delete;

    void setHandler(Handler handler) override;
    // True: the key works at once inside the program, and is asked for from the desktop.
    bool registerKey(HotKey key) override;
    void unregisterKey(HotKey key) override;
    std::string route() const override;
    void setRefusalHandler(RefusalHandler handler) override;
    bool answerPending() const override;

    // Keys the desktop has granted in the current session.
    const std::set<HotKey>& grantedKeys() const { return m_granted; }

private:
    PortalHotKeyService(QWidget& window, const QDBusConnection& bus, const QString& appId, int timeoutMs);
    // Registers with the host registry and checks the interface; false when the portal does not answer.
    bool attachToPortal();
    void scheduleBind();
    void bindNow();
    void createSession();
    void onSessionCreated(uint response, const QVariantMap& results);
    void bindShortcuts();
    void onShortcutsBound(uint response, const QVariantMap& results);
    void onActivated(const QDBusObjectPath& session, const QString& shortcutId);
    void onShortcutsChanged(const QDBusObjectPath& session, const PortalShortcutList& shortcuts);
    void onPortalOwnerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);
    void onSessionClosed();
    using ResponseSlot = void (PortalHotKeyService::*)(uint response, const QVariantMap& results);
    // Makes a portal call that answers through a Request: subscribes to the Response on the handle
    // predicted from `token` first, then calls; follows the handle the portal returns when it differs
    // (portals before 0.9 did not predict).
    void callWithRequest(QDBusMessage message, const QString& token, ResponseSlot onResponse);
    void listenForResponse(const QString& path, ResponseSlot onResponse);
    void closeSession();
    void dropSession();
    // The desktop's answer: the wanted keys outside `granted` are refused and go to the window.
    void answer(const std::set<HotKey>& granted, const char* why);
    void updateWindowKeys();
    void deliver(HotKey key);
    QString nextToken(const char* kind);

    QDBusConnection m_bus;
    QString m_appId;
    int m_timeoutMs;
    // The portal's unique name: proxies match signals by it, so a later owner's signals are not mixed in.
    QString m_portalOwner;
    QDBusServiceWatcher* m_ownerWatcher = nullptr;
    GlobalShortcutsProxy* m_shortcuts = nullptr;
    QPointer<PortalRequestProxy> m_request;
    PortalSessionProxy* m_sessionProxy = nullptr;
    QString m_session;
    std::set<HotKey> m_wanted;
    std::set<HotKey> m_granted;
    // The keys bound in the current session; a key wanted later needs a new session (one bind each).
    std::set<HotKey> m_bound;
    bool m_bindScheduled = false;
    bool m_pending = false;
    QString m_tokenPrefix;
    unsigned m_tokenCounter = 0;
    // Raised whenever the session is dropped: answers to calls of an older session are ignored.
    unsigned m_generation = 0;
    ShortcutHotKeyService m_inWindow;
    Handler m_handler;
    RefusalHandler m_refusalHandler;
};

} // namespace vantor
