#pragma once

#include "dictation/KeyboardMonitor.h"
#include "platform/DisplaySession.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QPointer>
#include <QSet>
#include <QVariantMap>

#include <optional>

class PortalShortcutSession;
struct PortalBinding;

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
// in a session of ours and reports each activation. Nothing here waits on
// the portal: it is first asked when the hotkeys are installed, and asked
// again whenever its D-Bus name changes owner.
//
// The session's token is fixed, so the desktop keeps our shortcuts in one
// group ("talvoro") across changes and restarts. The shortcuts go with both
// CreateSession (KDE reads them only there) and BindShortcuts (where other
// portals read them). After creating a session we ask the portal what it
// bound (ListShortcuts) and call BindShortcuts, which on KDE opens System
// Settings, only when something is missing or has another trigger, at most
// once per set of shortcuts in a process. A shortcut counts as bound only
// when the portal lists it with a trigger; where the desktop's trigger is
// another combination than the stored one, its description is published.
//
// An activation is reported as a press of the combination we stored for
// that shortcut, whatever trigger the desktop gave it. Esc gets a session
// of its own, made as a recording starts and closed as it ends, so it is
// taken from the other applications only meanwhile.
class PortalShortcutsMonitor final : public KeyboardMonitor
{
    Q_OBJECT
public:
    // The session tokens, which KDE shows as the shortcut groups' names.
    static constexpr const char *kHotkeysToken = "talvoro";
    static constexpr const char *kCancelToken = "talvoro_cancel";

    explicit PortalShortcutsMonitor(QDBusConnection bus = QDBusConnection::sessionBus(),
                                    const QString &service = QString::fromLatin1(talvoro::kDesktopPortalService),
                                    QObject *parent = nullptr);
    ~PortalShortcutsMonitor() override;

    // The trigger the portal is asked to prefer, in the XDG shortcuts
    // format ("CTRL+SHIFT+d"); empty for a key without a name.
    static QString preferredTrigger(const KeyCombination &combination);
    // Whether a portal's trigger description ("Ctrl+Shift+D", "Meta+F1, Alt+X")
    // names this combination.
    static bool describes(const QString &triggerDescription, const KeyCombination &combination);

    // False once the portal said it has no global shortcuts; true while
    // nobody has asked yet or it has not answered.
    bool isAvailable() const override { return m_presence != Presence::absent; }
    // The combinations of dictation, translation and paste last, in that
    // order (the shortcuts' ids, which the desktop remembers, follow it).
    void install(const QList<KeyCombination> &combinations) override;
    void remove() override;
    bool isInstalled() const override;
    void setEscapeMonitored(bool monitored) override;
    Binding binding(qsizetype index) const override;
    QString desktopTrigger(qsizetype index) const override;

private Q_SLOTS:
    void activated(const QDBusObjectPath &session, const QString &shortcutId, qulonglong timestamp,
                   const QVariantMap &options);
    void shortcutsChanged(const QDBusMessage &message);

private:
    enum class Presence { asking, offered, absent };

    void ask();
    void ownerChanged(const QString &owner);
    void setPresence(Presence presence);
    void followSignals();
    void bindHotkeys();
    void bindEscape();
    PortalShortcutSession *open(const QString &token, QList<PortalBinding> bindings, bool forChange);
    void endSession(QPointer<PortalShortcutSession> &session);

    QDBusConnection m_bus;
    QString m_service;
    Presence m_presence = Presence::asking;
    bool m_asking = false;
    bool m_followingSignals = false;
    int m_ownerGeneration = 0;
    QObject *m_ownerWatcher = nullptr;
    std::optional<QList<KeyCombination>> m_wanted;
    bool m_escapeWanted = false;
    QPointer<PortalShortcutSession> m_hotkeys;
    QPointer<PortalShortcutSession> m_escape;
    // A hotkeys session was made since the start (or the portal's).
    bool m_hotkeysOpened = false;
    // The sets of shortcuts BindShortcuts was already asked for.
    QSet<QString> m_bindRequests;
};
