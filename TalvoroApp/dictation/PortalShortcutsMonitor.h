#pragma once

#include "dictation/KeyboardMonitor.h"
#include "platform/DisplaySession.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QPointer>
#include <QVariantMap>

class PortalShortcutSession;

// One entry of the portal's shortcut lists (D-Bus a(sa{sv})): an id and its
// properties ("description", "preferred_trigger", "trigger_description").
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcut)
QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

// The hotkeys on Wayland, where no client may grab keys: the desktop
// portal's GlobalShortcuts interface (KDE Plasma, recent GNOME) binds them
// in a session of ours and reports each activation. The desktop may show
// the user a dialog to confirm or change each trigger; an activation is
// reported as a press of the combination we stored for that shortcut,
// whatever trigger the user chose. Esc gets a session of its own, made as a
// recording starts and closed as it ends, so it is taken from the other
// applications only meanwhile.
class PortalShortcutsMonitor final : public KeyboardMonitor
{
    Q_OBJECT
public:
    explicit PortalShortcutsMonitor(QDBusConnection bus = QDBusConnection::sessionBus(),
                                    const QString &service = QString::fromLatin1(talvoro::kDesktopPortalService),
                                    QObject *parent = nullptr);
    ~PortalShortcutsMonitor() override;

    // Whether that portal has the GlobalShortcuts interface; waits at most
    // a second.
    static bool isOffered(QDBusConnection bus, const QString &service);
    // The session bus's portal, asked once per process.
    static bool isOfferedOnSessionBus();

    // The trigger the portal is asked to prefer, in the XDG shortcuts
    // format ("CTRL+SHIFT+d"); empty for a key without a name.
    static QString preferredTrigger(const KeyCombination &combination);

    bool isAvailable() const override { return m_available; }
    // The combinations of dictation, translation and paste last, in that
    // order (the shortcuts' ids, which the desktop remembers, follow it).
    void install(const QList<KeyCombination> &combinations) override;
    void remove() override;
    // The hotkeys' session exists and the portal bound its shortcuts.
    bool isInstalled() const override;
    void setEscapeMonitored(bool monitored) override;

private Q_SLOTS:
    void activated(const QDBusObjectPath &session, const QString &shortcutId, qulonglong timestamp,
                   const QVariantMap &options);

private:
    void endSession(QPointer<PortalShortcutSession> &session);

    QDBusConnection m_bus;
    QString m_service;
    bool m_available = false;
    QPointer<PortalShortcutSession> m_hotkeys;
    QPointer<PortalShortcutSession> m_escape;
};
