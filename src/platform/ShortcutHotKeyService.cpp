#include "ShortcutHotKeyService.h"

#include <QKeySequence>

namespace vantor {

namespace {

Qt::Key qtKeyOf(HotKey key)
{
    switch (key) {
    case HotKey::F9:
        return Qt::Key_F9;
    case HotKey::F10:
        return Qt::Key_F10;
    case HotKey::F7:
        return Qt::Key_F7;
    case HotKey::F8:
        return Qt::Key_F8;
    }
    return Qt::Key_unknown;
}

} // namespace

ShortcutHotKeyService::ShortcutHotKeyService(QWidget& mainWindow)
    : m_window(&mainWindow)
{
}

ShortcutHotKeyService::~ShortcutHotKeyService()
{
    for (const auto& [key, shortcut] : m_shortcuts)
        delete shortcut.data();
}

void ShortcutHotKeyService::setHandler(Handler handler)
{
    m_handler = std::move(handler);
}

bool ShortcutHotKeyService::registerKey(HotKey key)
{
    const auto found = m_shortcuts.find(key);
    if (found != m_shortcuts.end() && found->second)
        return true;
    if (!m_window)
        return false;
    auto* shortcut = new QShortcut(QKeySequence(qtKeyOf(key)), m_window.data());
    shortcut->setContext(Qt::ApplicationShortcut);
    // Auto-repeat stays on, as with the global keys: the receiver decides what a held key means.
    QObject::connect(shortcut, &QShortcut::activated, shortcut, [this, key] { deliver(key); });
    m_shortcuts[key] = shortcut;
    return true;
}

void ShortcutHotKeyService::unregisterKey(HotKey key)
{
    const auto found = m_shortcuts.find(key);
    if (found == m_shortcuts.end())
        return;
    delete found->second.data();
    m_shortcuts.erase(found);
}

std::string ShortcutHotKeyService::route() const
{
    return "application";
}

void ShortcutHotKeyService::deliver(HotKey key)
{
    if (!m_handler)
        return;
    const Handler handler = m_handler;
    handler(key);
}

} // namespace vantor
