#pragma once

// Proxies of the desktop portal's D-Bus objects that this program uses, written by hand: the official
// interface files leave some a{sv} arguments without a Qt type (Session.Closed), which qdbusxml2cpp refuses,
// and the program needs only the signals. QDBusAbstractInterface relays each D-Bus signal to the Qt signal
// of the same name and argument types, and subscribes to it on the bus when a Qt connection is made, so a
// connect() before a call is a subscription made before that call.
#include <QDBusAbstractInterface>
#include <QDBusObjectPath>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <utility>

namespace vantor {

// a(sa{sv}): shortcut ids with their properties, as BindShortcuts takes and answers them.
using PortalShortcutList = QList<std::pair<QString, QVariantMap>>;

inline constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
inline constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
inline constexpr char kGlobalShortcutsInterface[] = "org.freedesktop.portal.GlobalShortcuts";
inline constexpr char kRegistryInterface[] = "org.freedesktop.host.portal.Registry";
inline constexpr char kRequestInterface[] = "org.freedesktop.portal.Request";
inline constexpr char kSessionInterface[] = "org.freedesktop.portal.Session";

// One call's Request object: its Response tells how the call ended (0 success, 1 cancelled by the user,
// 2 ended otherwise) with the call's results.
class PortalRequestProxy final : public QDBusAbstractInterface {
    Q_OBJECT
public:
    PortalRequestProxy(
        const QString& service, const QString& path, const QDBusConnection& bus, QObject* parent)
        : QDBusAbstractInterface(service, path, kRequestInterface, bus, parent)
    {
    }

Q_SIGNALS:
    void Response(uint response, const QVariantMap& results);
};

// A session: the portal closes it when it ends it on its own (the user revoked it, the desktop stopped).
class PortalSessionProxy final : public QDBusAbstractInterface {
    Q_OBJECT
public:
    PortalSessionProxy(
        const QString& service, const QString& path, const QDBusConnection& bus, QObject* parent)
        : QDBusAbstractInterface(service, path, kSessionInterface, bus, parent)
    {
    }

Q_SIGNALS:
    void Closed(const QVariantMap& details);
};

class GlobalShortcutsProxy final : public QDBusAbstractInterface {
    Q_OBJECT
public:
    GlobalShortcutsProxy(const QString& service, const QDBusConnection& bus, QObject* parent)
        : QDBusAbstractInterface(service, kPortalPath, kGlobalShortcutsInterface, bus, parent)
    {
    }

Q_SIGNALS:
    // The timestamp is not used: backends differ in its unit.
    void Activated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong timestamp,
        const QVariantMap& options);
    void ShortcutsChanged(const QDBusObjectPath& session, const vantor::PortalShortcutList& shortcuts);
};

} // namespace vantor

Q_DECLARE_METATYPE(vantor::PortalShortcutList)
