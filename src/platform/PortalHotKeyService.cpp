#include "PortalHotKeyService.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QMetaObject>
#include <QRandomGenerator>

#include <cstdio>
#include <optional>
#include <utility>

namespace vantor {

namespace {

// What each key does, as the desktop shows it when it asks the user and in its shortcut settings.
QString descriptionOf(HotKey key)
{
    switch (key) {
    case HotKey::F9:
        return QCoreApplication::translate("PortalHotKeyService", "标记本句起始时间并播放");
    case HotKey::F10:
        return QCoreApplication::translate("PortalHotKeyService", "标记本句终止时间并循环播放本句");
    case HotKey::F7:
        return QCoreApplication::translate("PortalHotKeyService", "修改已做好的字幕");
    case HotKey::F8:
        return QCoreApplication::translate("PortalHotKeyService", "继续制作字幕");
    }
    return {};
}

std::optional<HotKey> keyOfShortcutId(const QString& id)
{
    for (const HotKey key : kHotKeysInOrder) {
        if (id == QLatin1String(hotKeyName(key).data(), static_cast<qsizetype>(hotKeyName(key).size())))
            return key;
    }
    return std::nullopt;
}

// The keys a shortcut list grants. A shortcut the user left without a trigger (an empty
// trigger_description) is not granted; backends that leave the description out are trusted.
std::set<HotKey> grantedIn(const PortalShortcutList& shortcuts)
{
    std::set<HotKey> keys;
    for (const auto& [id, properties] : shortcuts) {
        const auto trigger = properties.constFind(QStringLiteral("trigger_description"));
        if (trigger != properties.constEnd() && trigger->toString().isEmpty())
            continue;
        if (const std::optional<HotKey> key = keyOfShortcutId(id))
            keys.insert(*key);
    }
    return keys;
}

std::string labels(const std::set<HotKey>& keys)
{
    std::string text;
    for (const HotKey key : kHotKeysInOrder) {
        if (keys.contains(key))
            text += (text.empty() ? "" : " ") + hotKeyLabel(key);
    }
    return text.empty() ? "none" : text;
}

// Errors that mean "no portal here" rather than "a portal that failed this call".
bool portalIsMissing(const QString& errorName)
{
    return errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
        || errorName == QLatin1String("org.freedesktop.DBus.Error.NoReply")
        || errorName == QLatin1String("org.freedesktop.DBus.Error.Timeout")
        || errorName == QLatin1String("org.freedesktop.DBus.Error.TimedOut")
        || errorName == QLatin1String("org.freedesktop.DBus.Error.Disconnected")
        || errorName == QLatin1String("org.freedesktop.DBus.Error.Spawn.ChildExited")
        || errorName.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn."));
}

} // namespace

std::unique_ptr<PortalHotKeyService> PortalHotKeyService::connectToPortal(
    QWidget& window, const QDBusConnection& bus, const QString& appId, int timeoutMs)
{
    if (!bus.isConnected())
        return nullptr;
    std::unique_ptr<PortalHotKeyService> service(new PortalHotKeyService(window, bus, appId, timeoutMs));
    if (!service->attachToPortal())
        return nullptr;
    return service;
}

PortalHotKeyService::PortalHotKeyService(
    QWidget& window, const QDBusConnection& bus, const QString& appId, int timeoutMs)
    : m_bus(bus)
    , m_appId(appId)
    , m_timeoutMs(timeoutMs)
    , m_inWindow(window)
{
    qDBusRegisterMetaType<std::pair<QString, QVariantMap>>();
    qDBusRegisterMetaType<PortalShortcutList>();
    m_inWindow.setHandler([this](HotKey key) {
        if (m_wanted.contains(key) && m_handler) {
            const Handler handler = m_handler;
            handler(key);
        }
    });
    m_ownerWatcher = new QDBusServiceWatcher(
        QString::fromLatin1(kPortalService), m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_ownerWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        &PortalHotKeyService::onPortalOwnerChanged);
}

PortalHotKeyService::~PortalHotKeyService()
{
    closeSession();
}

bool PortalHotKeyService::attachToPortal()
{
    // The registry must hear from us before any other portal call on this connection.
    QDBusMessage registration = QDBusMessage::createMethodCall(QString::fromLatin1(kPortalService),
        QString::fromLatin1(kPortalPath), QString::fromLatin1(kRegistryInterface),
        QStringLiteral("Register"));
    registration << m_appId << QVariantMap();
    const QDBusMessage registered = m_bus.call(registration, QDBus::Block, m_timeoutMs);
    if (registered.type() == QDBusMessage::ErrorMessage) {
        if (portalIsMissing(registered.errorName()))
            return false;
        // UnknownMethod/UnknownInterface: a portal older than the registry (Debian 12 has 1.16), which takes
        // the application from the sandbox's metadata or the process's systemd unit instead.
        if (!registered.errorName().startsWith(QLatin1String("org.freedesktop.DBus.Error.Unknown")))
            std::fprintf(stderr, "vantor: the desktop portal did not register the program as %s: %s\n",
                qPrintable(m_appId), qPrintable(registered.errorMessage()));
    }

    QDBusMessage versionCall = QDBusMessage::createMethodCall(QString::fromLatin1(kPortalService),
        QString::fromLatin1(kPortalPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    versionCall << QString::fromLatin1(kGlobalShortcutsInterface) << QStringLiteral("version");
    const QDBusMessage version = m_bus.call(versionCall, QDBus::Block, m_timeoutMs);
    if (version.type() != QDBusMessage::ReplyMessage || version.arguments().isEmpty()
        || version.arguments().first().value<QDBusVariant>().variant().toUInt() < 1)
        return false;

    const QDBusReply<QString> owner = m_bus.interface()->serviceOwner(QString::fromLatin1(kPortalService));
    if (!owner.isValid() || owner.value().isEmpty())
        return false;
    m_portalOwner = owner.value();
    delete m_shortcuts;
    m_shortcuts = new GlobalShortcutsProxy(m_portalOwner, m_bus, this);
    connect(m_shortcuts, &GlobalShortcutsProxy::Activated, this,
        [this](const QDBusObjectPath& session, const QString& id, qulonglong, const QVariantMap&) {
            onActivated(session, id);
        });
    connect(
        m_shortcuts, &GlobalShortcutsProxy::ShortcutsChanged, this, &PortalHotKeyService::onShortcutsChanged);
    return true;
}

void PortalHotKeyService::setHandler(Handler handler)
{
    m_handler = std::move(handler);
}

bool PortalHotKeyService::registerKey(HotKey key)
{
    m_wanted.insert(key);
    updateWindowKeys();
    if (!m_bound.contains(key))
        scheduleBind();
    return true;
}

void PortalHotKeyService::unregisterKey(HotKey key)
{
    if (!m_wanted.erase(key))
        return;
    m_granted.erase(key);
    updateWindowKeys();
    if (m_wanted.empty()) {
        closeSession();
        m_pending = false;
    }
}

std::string PortalHotKeyService::route() const
{
    return "portal";
}

void PortalHotKeyService::setRefusalHandler(RefusalHandler handler)
{
    m_refusalHandler = std::move(handler);
}

bool PortalHotKeyService::answerPending() const
{
    return m_pending;
}

void PortalHotKeyService::scheduleBind()
{
    m_pending = true;
    if (m_bindScheduled)
        return;
    m_bindScheduled = true;
    // Every key registered in this turn of the event loop goes into the one bind.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_bindScheduled = false;
            bindNow();
        },
        Qt::QueuedConnection);
}

void PortalHotKeyService::bindNow()
{
    if (m_wanted.empty() || m_portalOwner.isEmpty()) {
        m_pending = false;
        return;
    }
    // A session binds once: a key wanted later, or a bind still under way, starts a new session.
    closeSession();
    m_pending = true;
    createSession();
}

void PortalHotKeyService::createSession()
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_portalOwner, QString::fromLatin1(kPortalPath),
        QString::fromLatin1(kGlobalShortcutsInterface), QStringLiteral("CreateSession"));
    const QString token = nextToken("create");
    message << QVariantMap { { QStringLiteral("handle_token"), token },
        { QStringLiteral("session_handle_token"), nextToken("session") } };
    callWithRequest(message, token, &PortalHotKeyService::onSessionCreated);
}

void PortalHotKeyService::onSessionCreated(uint response, const QVariantMap& results)
{
    if (response != 0) {
        answer({}, response == 1 ? "the user declined the session" : "the portal could not create a session");
        return;
    }
    // Debian 12's frontend (1.16) sends the handle as a string (seen on the bus); the interface documents an
    // object path.
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    m_session = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
        ? handle.value<QDBusObjectPath>().path()
        : handle.toString();
    if (m_session.isEmpty()) {
        answer({}, "the portal created a session without a handle");
        return;
    }
    m_sessionProxy = new PortalSessionProxy(m_portalOwner, m_session, m_bus, this);
    connect(m_sessionProxy, &PortalSessionProxy::Closed, this, &PortalHotKeyService::onSessionClosed);
    bindShortcuts();
}

void PortalHotKeyService::bindShortcuts()
{
    PortalShortcutList shortcuts;
    for (const HotKey key : kHotKeysInOrder) {
        if (!m_wanted.contains(key))
            continue;
        // The preferred trigger is a bare key name ("F9"), the form the portal documents for keys without
        // modifiers.
        shortcuts.append(
            { QString::fromLatin1(hotKeyName(key).data(), static_cast<qsizetype>(hotKeyName(key).size())),
                { { QStringLiteral("description"), descriptionOf(key) },
                    { QStringLiteral("preferred_trigger"), QString::fromStdString(hotKeyLabel(key)) } } });
    }
    m_bound = m_wanted;
    QDBusMessage message = QDBusMessage::createMethodCall(m_portalOwner, QString::fromLatin1(kPortalPath),
        QString::fromLatin1(kGlobalShortcutsInterface), QStringLiteral("BindShortcuts"));
    const QString token = nextToken("bind");
    // No parent window: Qt offers no exported handle of a Wayland window, and the portal then centres its
    // dialog on its own.
    message << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariant::fromValue(shortcuts) << QString()
            << QVariantMap { { QStringLiteral("handle_token"), token } };
    callWithRequest(message, token, &PortalHotKeyService::onShortcutsBound);
}

void PortalHotKeyService::onShortcutsBound(uint response, const QVariantMap& results)
{
    if (response == 1) {
        answer({}, "the user declined the keys");
        return;
    }
    if (response != 0) {
        answer({}, "the portal could not bind the keys");
        return;
    }
    const auto listed = results.constFind(QStringLiteral("shortcuts"));
    // KDE Plasma's backend (per its source) answers a bind that its dialog confirmed without the list: every
    // key is bound.
    if (listed == results.constEnd()) {
        answer(m_bound, "bound");
        return;
    }
    answer(grantedIn(qdbus_cast<PortalShortcutList>(listed->value<QDBusArgument>())), "bound");
}

void PortalHotKeyService::onShortcutsChanged(
    const QDBusObjectPath& session, const PortalShortcutList& shortcuts)
{
    if (session.path() != m_session || m_session.isEmpty())
        return;
    answer(grantedIn(shortcuts), "changed in the desktop's settings");
}

void PortalHotKeyService::onActivated(const QDBusObjectPath& session, const QString& shortcutId)
{
    if (session.path() != m_session || m_session.isEmpty())
        return;
    if (const std::optional<HotKey> key = keyOfShortcutId(shortcutId); key && m_granted.contains(*key))
        deliver(*key);
}

void PortalHotKeyService::onPortalOwnerChanged(
    const QString&, const QString& oldOwner, const QString& newOwner)
{
    if (!m_portalOwner.isEmpty() && oldOwner == m_portalOwner) {
        // The session died with the portal; there is nobody to close it with.
        dropSession();
        m_portalOwner.clear();
        delete m_shortcuts;
        m_shortcuts = nullptr;
        answer({}, "the desktop portal went away");
    }
    if (m_portalOwner.isEmpty() && !newOwner.isEmpty() && attachToPortal()) {
        std::fprintf(stderr, "vantor: the desktop portal is back\n");
        if (!m_wanted.empty())
            scheduleBind();
    }
}

void PortalHotKeyService::onSessionClosed()
{
    // The desktop ended the session (the user revoked the keys): asking again at once would only nag.
    dropSession();
    answer({}, "the desktop closed the session");
}

void PortalHotKeyService::callWithRequest(QDBusMessage message, const QString& token, ResponseSlot onResponse)
{
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString predicted
        = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    listenForResponse(predicted, onResponse);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, m_timeoutMs), this);
    const QString member = message.member();
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this, watcher, predicted, member, onResponse, generation = m_generation] {
            watcher->deleteLater();
            if (generation != m_generation)
                return;
            const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
            if (reply.isError()) {
                dropSession();
                answer({}, qPrintable(member + QStringLiteral(" failed: ") + reply.error().message()));
                return;
            }
            if (reply.value().path() != predicted && m_request && m_request->path() == predicted)
                listenForResponse(reply.value().path(), onResponse);
        });
}

void PortalHotKeyService::listenForResponse(const QString& path, ResponseSlot onResponse)
{
    if (m_request)
        m_request->deleteLater();
    auto* request = new PortalRequestProxy(m_portalOwner, path, m_bus, this);
    m_request = request;
    connect(request, &PortalRequestProxy::Response, this,
        [this, request, onResponse](uint response, const QVariantMap& results) {
            if (request != m_request)
                return;
            // The proxy emits this signal: it may not be deleted before the emission ends.
            request->deleteLater();
            m_request = nullptr;
            (this->*onResponse)(response, results);
        });
}

void PortalHotKeyService::closeSession()
{
    if (!m_session.isEmpty() && !m_portalOwner.isEmpty()) {
        // Blocking, so that the portal frees the keys before the program goes on (or exits).
        const QDBusMessage close = QDBusMessage::createMethodCall(
            m_portalOwner, m_session, QString::fromLatin1(kSessionInterface), QStringLiteral("Close"));
        m_bus.call(close, QDBus::Block, m_timeoutMs);
    }
    dropSession();
}

void PortalHotKeyService::dropSession()
{
    ++m_generation;
    if (m_request)
        m_request->deleteLater();
    m_request = nullptr;
    delete m_sessionProxy;
    m_sessionProxy = nullptr;
    m_session.clear();
    m_bound.clear();
    m_granted.clear();
    updateWindowKeys();
}

void PortalHotKeyService::answer(const std::set<HotKey>& granted, const char* why)
{
    m_pending = false;
    m_granted.clear();
    for (const HotKey key : granted) {
        if (m_bound.contains(key))
            m_granted.insert(key);
    }
    updateWindowKeys();
    std::set<HotKey> refused;
    std::vector<HotKey> refusedInOrder;
    for (const HotKey key : kHotKeysInOrder) {
        if (m_wanted.contains(key) && !m_granted.contains(key)) {
            refused.insert(key);
            refusedInOrder.push_back(key);
        }
    }
    std::fprintf(stderr, "vantor: desktop portal: granted %s; refused %s (%s)\n", labels(m_granted).c_str(),
        labels(refused).c_str(), why);
    if (m_refusalHandler) {
        const RefusalHandler handler = m_refusalHandler;
        handler(refusedInOrder);
    }
}

void PortalHotKeyService::updateWindowKeys()
{
    for (const HotKey key : kHotKeysInOrder) {
        if (m_wanted.contains(key) && !m_granted.contains(key))
            m_inWindow.registerKey(key);
        else
            m_inWindow.unregisterKey(key);
    }
}

void PortalHotKeyService::deliver(HotKey key)
{
    // Queued, as the X11 keys are: the handler may open modal dialogs, which must not run inside the
    // D-Bus signal's dispatch.
    QMetaObject::invokeMethod(
        this,
        [this, key] {
            if (!m_wanted.contains(key) || !m_granted.contains(key) || !m_handler)
                return;
            const Handler handler = m_handler;
            handler(key);
        },
        Qt::QueuedConnection);
}

QString PortalHotKeyService::nextToken(const char* kind)
{
    // Unique and not guessable, as the portal asks: another client cannot predict our handles.
    if (m_tokenPrefix.isEmpty())
        m_tokenPrefix = QStringLiteral("vantor%1").arg(QRandomGenerator::system()->generate());
    return QStringLiteral("%1_%2_%3").arg(m_tokenPrefix, QLatin1String(kind)).arg(++m_tokenCounter);
}

} // namespace vantor
