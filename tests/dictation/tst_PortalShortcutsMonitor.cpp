// The hotkeys on Wayland through a fake GlobalShortcuts portal on a bus of
// the test's own. The fake behaves as KDE Plasma's portal does: it reads the
// shortcuts only from CreateSession, keeps them in a group named after the
// session's token (a trigger the group already holds wins over a preferred
// one), lists them with their triggers' descriptions (empty where another
// application holds the trigger), opens its settings page on every
// BindShortcuts and answers it with the session's list, whatever it was
// given. The stored combinations are bound, an activation runs the same
// actions as a key press, Esc is bound only while recording, a change keeps
// all three bound, a restart binds nothing again, a refusal is no grant.
#include "dictation/HotkeyManager.h"
#include "dictation/KeyCodeMap.h"
#include "dictation/LinuxPermissionChecks.h"
#include "dictation/PortalShortcutsMonitor.h"
#include "platform/SettingsKeys.h"
#include "screens/settings/HotkeyRecorder.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QKeySequence>
#include <QMutex>
#include <QTest>
#include <QThread>

using Kind = HotkeyManager::HotkeyKind;
using Binding = KeyboardMonitor::Binding;

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

class FakeShortcutsPortal;

class FakeSession final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")
public:
    FakeSession(FakeShortcutsPortal &portal, QString path, QObject *parent)
        : QObject(parent), m_portal(portal), m_path(std::move(path))
    {
    }
public Q_SLOTS:
    void Close();

private:
    FakeShortcutsPortal &m_portal;
    QString m_path;
};

// How KDE describes a trigger given in the XDG format: "CTRL+SHIFT+d" is
// "Ctrl+Shift+D".
QString kdeDescription(const QString &trigger)
{
    QStringList parts = trigger.split(QLatin1Char('+'));
    const QString key = parts.takeLast();
    Qt::KeyboardModifiers modifiers;
    for (const QString &part : parts)
        modifiers |= part == QLatin1String("CTRL") ? Qt::ControlModifier
            : part == QLatin1String("ALT")         ? Qt::AltModifier
            : part == QLatin1String("SHIFT")       ? Qt::ShiftModifier
                                                   : Qt::MetaModifier;
    const QKeySequence keyOnly = QKeySequence::fromString(key.size() == 1 ? key.toUpper() : key);
    return QKeySequence(QKeyCombination(modifiers, keyOnly[0].key())).toString(QKeySequence::PortableText);
}

// Sessions, groups and activations, answered from a thread of its own.
class FakeShortcutsPortal final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version CONSTANT)
public:
    // What one CreateSession asked for.
    struct Created
    {
        QString session;
        QHash<QString, QString> triggers; // shortcut id → preferred trigger
    };

    // `taken`: triggers another application holds.
    FakeShortcutsPortal(PrivateBus &bus, QStringList taken = {})
        : m_bus(bus.connect(QStringLiteral("fake-portal")))
        , m_taken(std::move(taken))
    {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        moveToThread(&m_thread);
        m_thread.start();
        m_ready = m_bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)
            && m_bus.registerService(kService);
    }
    ~FakeShortcutsPortal() override
    {
        m_bus.unregisterService(kService);
        m_bus.unregisterObject(kPath, QDBusConnection::UnregisterTree);
        m_thread.quit();
        m_thread.wait();
    }

    bool isReady() const { return m_ready; }
    uint version() const { return 1; }

    QList<Created> created() const
    {
        QMutexLocker lock(&m_mutex);
        return m_created;
    }
    QStringList closed() const
    {
        QMutexLocker lock(&m_mutex);
        return m_closed;
    }
    int settingsOpened() const
    {
        QMutexLocker lock(&m_mutex);
        return m_settingsOpened;
    }
    // The group's shortcut ids and their triggers' descriptions.
    QHash<QString, QString> group(const QString &name) const
    {
        QMutexLocker lock(&m_mutex);
        return m_groups.value(name);
    }
    void sessionClosed(const QString &path)
    {
        QMutexLocker lock(&m_mutex);
        m_closed << path;
        m_sessions.remove(path);
        m_bus.unregisterObject(path);
    }

    // The user pressed the trigger of that shortcut.
    void activate(const QString &session, const QString &id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(0) << QVariantMap();
        QMetaObject::invokeMethod(this, [this, signal] { m_bus.send(signal); }, Qt::BlockingQueuedConnection);
    }

    // The user gave a shortcut another trigger in the desktop's settings.
    void userSets(const QString &group, const QString &id, const QString &description)
    {
        QMetaObject::invokeMethod(
            this,
            [=, this] {
                QMutexLocker lock(&m_mutex);
                m_groups[group][id] = description;
                for (auto session = m_sessions.cbegin(); session != m_sessions.cend(); ++session) {
                    if (session->group != group)
                        continue;
                    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("ShortcutsChanged"));
                    signal << QVariant::fromValue(QDBusObjectPath(session.key())) << QVariant::fromValue(listOf(session.key()));
                    m_bus.send(signal);
                }
            },
            Qt::BlockingQueuedConnection);
    }

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap &options, const QDBusMessage &message)
    {
        const QString token = options.value(QStringLiteral("session_handle_token")).toString();
        const QString session = QStringLiteral("%1/session/%2/%3").arg(kPath, sender(message), token);
        QMutexLocker lock(&m_mutex);
        if (m_sessions.contains(session))
            return respond(message, options, 2, {}); // the path is taken
        Created created{session, {}};
        QList<PortalShortcut> shortcuts;
        const QVariant given = options.value(QStringLiteral("shortcuts"));
        if (given.canConvert<QDBusArgument>() && given.value<QDBusArgument>().currentSignature() == QLatin1String("a(sa{sv})"))
            shortcuts = qdbus_cast<QList<PortalShortcut>>(given.value<QDBusArgument>());
        else
            qWarning("Wrong global shortcuts type, should be a(sa{sv})");
        QHash<QString, QString> &group = m_groups[token];
        QStringList ids;
        for (const PortalShortcut &shortcut : shortcuts) {
            const QString preferred = shortcut.properties.value(QStringLiteral("preferred_trigger")).toString();
            created.triggers.insert(shortcut.id, preferred);
            ids << shortcut.id;
            if (!group.contains(shortcut.id)) {
                const QString description = preferred.isEmpty() ? QString() : kdeDescription(preferred);
                group.insert(shortcut.id, m_taken.contains(description) ? QString() : description);
            }
        }
        m_created << created;
        m_sessions.insert(session, {token, ids});
        m_bus.registerObject(session, new FakeSession(*this, session, this), QDBusConnection::ExportAllSlots);
        return respond(message, options, 0, {{QStringLiteral("session_handle"), QVariant::fromValue(QDBusObjectPath(session))}});
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath &session, const QList<PortalShortcut> &, const QString &,
                                  const QVariantMap &options, const QDBusMessage &message)
    {
        QMutexLocker lock(&m_mutex);
        ++m_settingsOpened; // systemsettings://kcm_keys/<group>
        return respond(message, options, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(listOf(session.path()))}});
    }

    QDBusObjectPath ListShortcuts(const QDBusObjectPath &session, const QVariantMap &options, const QDBusMessage &message)
    {
        QMutexLocker lock(&m_mutex);
        return respond(message, options, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(listOf(session.path()))}});
    }

private:
    struct Session
    {
        QString group;
        QStringList ids;
    };

    static QString sender(const QDBusMessage &message)
    {
        return message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    }

    // Under the lock.
    QList<PortalShortcut> listOf(const QString &session) const
    {
        QList<PortalShortcut> list;
        const Session found = m_sessions.value(session);
        for (const QString &id : found.ids)
            list.append({id, {{QStringLiteral("description"), id},
                              {QStringLiteral("trigger_description"), m_groups.value(found.group).value(id)}}});
        return list;
    }

    // Answers on the request's predictable path once the call has returned.
    QDBusObjectPath respond(const QDBusMessage &message, const QVariantMap &options, uint code, const QVariantMap &results)
    {
        const QString request = QStringLiteral("%1/request/%2/%3")
                                    .arg(kPath, sender(message), options.value(QStringLiteral("handle_token")).toString());
        QDBusMessage response = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                           QStringLiteral("Response"));
        response << code << results;
        QMetaObject::invokeMethod(this, [this, response] { m_bus.send(response); }, Qt::QueuedConnection);
        return QDBusObjectPath(request);
    }

    QDBusConnection m_bus;
    QThread m_thread;
    bool m_ready = false;
    QStringList m_taken;
    mutable QMutex m_mutex;
    QList<Created> m_created;
    QStringList m_closed;
    int m_settingsOpened = 0;
    QHash<QString, QHash<QString, QString>> m_groups;
    QHash<QString, Session> m_sessions;
};

void FakeSession::Close()
{
    m_portal.sessionClosed(m_path);
    deleteLater();
}

constexpr quint64 kCtrlShift = MacModifier::control | MacModifier::shift;

// The application's side: settings, the manager over a portal monitor on
// the test's bus, the actions it ran.
struct Fixture
{
    PrivateBus &bus;
    QDBusConnection appBus;
    TemporarySettings settings;
    std::unique_ptr<HotkeyManager> manager;
    QStringList actions;

    explicit Fixture(PrivateBus &privateBus)
        : bus(privateBus)
        , appBus(bus.connect(QStringLiteral("application")))
    {
        // ⌥⌘Space for translation, stored as an earlier version wrote it.
        settings.store->set(SettingsKeys::translationHotkeyKeyCode, 49);
        settings.store->set(SettingsKeys::translationHotkeyModifiers, MacModifier::option | MacModifier::command);
        start();
    }

    // A new process: a new monitor over the same settings.
    void start()
    {
        manager.reset();
        manager = std::make_unique<HotkeyManager>(*settings.store, std::make_unique<PortalShortcutsMonitor>(appBus, kService));
        manager->setDictationToggleHandler([this] { actions << QStringLiteral("dictation"); });
        manager->setTranslationToggleHandler([this] { actions << QStringLiteral("translation"); });
        manager->setPasteLastHandler([this] { actions << QStringLiteral("pasteLast"); });
        manager->setCancelHandler([this] { actions << QStringLiteral("cancel"); });
    }

    // The three bindings as "bound,bound,refused"; "pending" while unanswered.
    QString bindings() const
    {
        QStringList states;
        for (Kind kind : {Kind::dictation, Kind::translation, Kind::pasteLast})
            states << QString::fromLatin1(QMetaEnum::fromType<Binding>().valueToKey(int(manager->binding(kind))));
        return states.join(QLatin1Char(','));
    }
    bool settled() const { return !bindings().contains(QStringLiteral("pending")); }

    // Everything the application sent the portal has been handled (one
    // connection's calls arrive in order).
    void roundTrip()
    {
        QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << kInterface << QStringLiteral("version");
        appBus.call(get);
    }

    // The actions an activation ran. Paste last on the hotkeys' session
    // follows as a marker (signals of one sender arrive in order), so an
    // activation that ran nothing is known without waiting for a time-out.
    QString activate(FakeShortcutsPortal &portal, const QString &session, const QString &id)
    {
        actions.clear();
        portal.activate(session, id);
        portal.activate(portal.created().first().session, QStringLiteral("pasteLast"));
        if (!QTest::qWaitFor([this] { return actions.endsWith(QStringLiteral("pasteLast")); }, 10000))
            return QStringLiteral("(no marker) ") + actions.join(QLatin1Char(','));
        actions.removeLast();
        return actions.join(QLatin1Char(','));
    }
};

// Accessibility as a Wayland session reports it over this monitor.
struct WaylandChecks
{
    QByteArray sessionType = qgetenv("XDG_SESSION_TYPE");
    LinuxPermissionChecks checks;
    explicit WaylandChecks(KeyboardMonitor &monitor) : checks(&monitor) { qputenv("XDG_SESSION_TYPE", "wayland"); }
    ~WaylandChecks() { qputenv("XDG_SESSION_TYPE", sessionType); }
};

} // namespace

class TestPortalShortcutsMonitor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void triggersFollowTheStoredCombinations()
    {
        QCOMPARE(PortalShortcutsMonitor::preferredTrigger({2, kCtrlShift}), QStringLiteral("CTRL+SHIFT+d"));
        QCOMPARE(PortalShortcutsMonitor::preferredTrigger({122, MacModifier::command}), QStringLiteral("LOGO+F1"));
        QCOMPARE(PortalShortcutsMonitor::preferredTrigger({27, MacModifier::option}), QStringLiteral("ALT+minus"));
        QCOMPARE(PortalShortcutsMonitor::preferredTrigger({MacKeyCode::escape, 0}), QStringLiteral("Escape"));
        QCOMPARE(PortalShortcutsMonitor::preferredTrigger({0xFFF0, kCtrlShift}), QString());
    }

    void triggerDescriptionsNameCombinations_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<quint64>("modifiers");
        QTest::addColumn<bool>("describes");
        QTest::newRow("KDE's text") << "Ctrl+Shift+D" << 2 << kCtrlShift << true;
        QTest::newRow("the XDG format") << "CTRL+SHIFT+d" << 2 << kCtrlShift << true;
        QTest::newRow("Meta is the command key") << "Meta+Alt+Space" << 49 << (MacModifier::option | MacModifier::command) << true;
        QTest::newRow("Qt's short key name") << "Esc" << int(MacKeyCode::escape) << quint64(0) << true;
        QTest::newRow("a printed key") << "Alt+-" << 27 << MacModifier::option << true;
        QTest::newRow("the second of two triggers") << "Ctrl+Shift+D, Meta+D" << 2 << MacModifier::command << true;
        QTest::newRow("another modifier") << "Ctrl+Alt+D" << 2 << kCtrlShift << false;
        QTest::newRow("another key") << "Ctrl+Shift+F" << 2 << kCtrlShift << false;
        QTest::newRow("a modifier we do not know") << "Hyper+D" << 2 << quint64(0) << false;
        QTest::newRow("no trigger") << "" << 2 << kCtrlShift << false;
    }
    void triggerDescriptionsNameCombinations()
    {
        QFETCH(QString, description);
        QFETCH(int, keyCode);
        QFETCH(quint64, modifiers);
        QFETCH(bool, describes);
        QCOMPARE(PortalShortcutsMonitor::describes(description, {quint16(keyCode), modifiers}), describes);
    }

    void bindingsFollowTheHotkeysAndTheRecording()
    {
        PrivateBus bus;
        if (bus.address().isEmpty())
            QSKIP("dbus-daemon cannot be started (scripts/setup installs it)");
        FakeShortcutsPortal portal(bus);
        QVERIFY(portal.isReady());
        Fixture f(bus);
        f.manager->startMonitoring();
        QTRY_VERIFY_WITH_TIMEOUT(f.manager->isMonitoring(), 10000);
        QCOMPARE(portal.created().size(), 1);
        const QHash<QString, QString> expected{{QStringLiteral("dictation"), QStringLiteral("CTRL+SHIFT+d")},
                                               {QStringLiteral("translation"), QStringLiteral("ALT+LOGO+space")},
                                               {QStringLiteral("pasteLast"), QStringLiteral("CTRL+SHIFT+v")}};
        QCOMPARE(portal.created().first().triggers, expected);
        const QString hotkeys = portal.created().first().session;
        QVERIFY(hotkeys.endsWith(QStringLiteral("/talvoro")));
        QCOMPARE(f.activate(portal, hotkeys, QStringLiteral("dictation")), QStringLiteral("dictation"));
        QCOMPARE(f.activate(portal, hotkeys, QStringLiteral("translation")), QStringLiteral("translation"));
        QCOMPARE(f.activate(portal, hotkeys, QStringLiteral("cancel")), QString()); // nothing records

        // Esc has a session of its own while a recording runs.
        f.manager->setRecordingActive(true);
        QTRY_COMPARE_WITH_TIMEOUT(portal.created().size(), 2, 10000);
        const QString escapeSession = portal.created().last().session;
        QCOMPARE(portal.created().last().triggers,
                 (QHash<QString, QString>{{QStringLiteral("cancel"), QStringLiteral("Escape")}}));
        QCOMPARE(f.activate(portal, escapeSession, QStringLiteral("cancel")), QStringLiteral("cancel"));
        f.manager->setRecordingActive(false);
        QTRY_COMPARE_WITH_TIMEOUT(portal.closed(), QStringList{escapeSession}, 10000);
        QCOMPARE(f.activate(portal, escapeSession, QStringLiteral("cancel")), QString());
        // The desktop had everything: no settings page, Esc's included.
        f.roundTrip();
        QCOMPARE(portal.settingsOpened(), 0);

        // A changed hotkey makes the session again, with all three, once the
        // old one is closed; the group keeps the trigger it had.
        QVERIFY(f.manager->updateHotkey(Kind::dictation, 2, MacModifier::control | MacModifier::option));
        QTRY_COMPARE_WITH_TIMEOUT(portal.created().size(), 3, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(f.manager->isMonitoring(), 10000);
        QCOMPARE(portal.closed(), (QStringList{escapeSession, hotkeys}));
        QCOMPARE(portal.created().last().session, hotkeys);
        QCOMPARE(portal.created().last().triggers.value(QStringLiteral("dictation")), QStringLiteral("CTRL+ALT+d"));
        QCOMPARE(f.activate(portal, hotkeys, QStringLiteral("dictation")), QStringLiteral("dictation"));
    }

    // What the desktop keeps of the three hotkeys across starts, changes,
    // the user's own edits and refusals, and how often it opened its
    // settings page to get there.
    void desktopKeepsTheHotkeys_data()
    {
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<bool>("portalComesLater");
        QTest::addColumn<bool>("restart");
        QTest::addColumn<bool>("changeDictation");
        QTest::addColumn<QString>("userSets"); // the dictation's trigger, in the desktop's settings
        QTest::addColumn<QString>("bindings");
        QTest::addColumn<QString>("dictationShows");
        QTest::addColumn<int>("settingsOpened");
        QTest::addColumn<bool>("granted");
        const QString allBound = QStringLiteral("bound,bound,bound");
        QTest::newRow("first start") << QStringList() << false << false << false << QString() << allBound
                                     << QStringLiteral("⌃⇧D") << 0 << true;
        QTest::newRow("next start") << QStringList() << false << true << false << QString() << allBound
                                    << QStringLiteral("⌃⇧D") << 0 << true;
        QTest::newRow("portal appears later") << QStringList() << true << false << false << QString() << allBound
                                              << QStringLiteral("⌃⇧D") << 0 << true;
        QTest::newRow("changed hotkey: the desktop keeps its trigger")
            << QStringList() << false << false << true << QString() << allBound << QStringLiteral("Ctrl+Shift+D") << 1
            << true;
        QTest::newRow("changed hotkey, then set by the user")
            << QStringList() << false << false << true << QStringLiteral("Ctrl+Alt+D") << allBound
            << QStringLiteral("⌃⌥D") << 1 << true;
        QTest::newRow("changed hotkey, next start")
            << QStringList() << false << true << true << QString() << allBound << QStringLiteral("Ctrl+Shift+D") << 1
            << true;
        QTest::newRow("trigger held by another application")
            << QStringList{QStringLiteral("Ctrl+Shift+V")} << false << false << false << QString()
            << QStringLiteral("bound,bound,refused") << QStringLiteral("⌃⇧D") << 1 << false;
    }
    void desktopKeepsTheHotkeys()
    {
        QFETCH(QStringList, taken);
        QFETCH(bool, portalComesLater);
        QFETCH(bool, restart);
        QFETCH(bool, changeDictation);
        QFETCH(QString, userSets);
        QFETCH(QString, bindings);
        QFETCH(QString, dictationShows);
        QFETCH(int, settingsOpened);
        QFETCH(bool, granted);
        PrivateBus bus;
        if (bus.address().isEmpty())
            QSKIP("dbus-daemon cannot be started (scripts/setup installs it)");
        std::optional<FakeShortcutsPortal> portal;
        if (!portalComesLater)
            portal.emplace(bus, taken);
        Fixture f(bus);
        f.manager->startMonitoring();
        if (portalComesLater) {
            QTRY_VERIFY_WITH_TIMEOUT(!f.manager->globalHotkeysAvailable(), 10000);
            portal.emplace(bus, taken);
            QTRY_VERIFY_WITH_TIMEOUT(f.manager->globalHotkeysAvailable(), 10000);
        }
        QVERIFY(portal->isReady());
        QTRY_VERIFY_WITH_TIMEOUT(f.settled(), 10000);
        if (changeDictation) {
            QVERIFY(f.manager->updateHotkey(Kind::dictation, 2, MacModifier::control | MacModifier::option));
            QTRY_COMPARE_WITH_TIMEOUT(portal->created().size(), 2, 10000);
            QTRY_VERIFY_WITH_TIMEOUT(f.settled(), 10000);
        }
        if (!userSets.isEmpty()) {
            portal->userSets(QStringLiteral("talvoro"), QStringLiteral("dictation"), userSets);
            QTRY_VERIFY_WITH_TIMEOUT(f.manager->desktopTrigger(Kind::dictation).isEmpty(), 10000);
        }
        if (restart) {
            const qsizetype sessions = portal->created().size();
            f.start();
            f.manager->startMonitoring();
            QTRY_COMPARE_WITH_TIMEOUT(portal->created().size(), sessions + 1, 10000);
            QTRY_VERIFY_WITH_TIMEOUT(f.settled(), 10000);
        }
        f.roundTrip();
        QTRY_COMPARE_WITH_TIMEOUT(f.bindings(), bindings, 10000);
        QCOMPARE(portal->settingsOpened(), settingsOpened);
        QCOMPARE(f.manager->isMonitoring(), granted);
        // What the hotkey rows show.
        for (Kind kind : {Kind::dictation, Kind::pasteLast}) {
            HotkeyRecorder recorder(*f.manager, kind);
            if (kind == Kind::dictation)
                QCOMPARE(recorder.combinationText(), dictationShows);
            QCOMPARE(recorder.bindingMessage().isEmpty(), granted || kind == Kind::dictation);
        }
        // One group, named after the fixed token, with all three in it.
        const auto group = portal->group(QStringLiteral("talvoro"));
        QCOMPARE(group.size(), 3);
        QCOMPARE(group.value(QStringLiteral("translation")), QStringLiteral("Meta+Alt+Space"));
        for (const QString &session : [&] {
                 QStringList sessions;
                 for (const auto &created : portal->created())
                     sessions << created.session;
                 return sessions;
             }())
            QVERIFY(session.endsWith(QStringLiteral("/talvoro")));
        {
            WaylandChecks wayland(f.manager->monitor());
            QCOMPARE(wayland.checks.isAccessibilityTrusted(), granted);
            QVERIFY(wayland.checks.isAccessibilityAvailable());
        }
        QCOMPARE(f.activate(*portal, portal->created().last().session, QStringLiteral("dictation")),
                 QStringLiteral("dictation"));
    }

    // Without the portal's interface, hotkeys are unavailable: the
    // permission is impossible rather than pending.
    void noPortalMeansUnavailable()
    {
        PrivateBus bus;
        if (bus.address().isEmpty())
            QSKIP("dbus-daemon cannot be started (scripts/setup installs it)");
        Fixture f(bus);
        QVERIFY(f.manager->globalHotkeysAvailable()); // not asked yet
        f.manager->startMonitoring();
        QTRY_VERIFY_WITH_TIMEOUT(!f.manager->globalHotkeysAvailable(), 10000);
        WaylandChecks wayland(f.manager->monitor());
        QVERIFY(!wayland.checks.isAccessibilityTrusted());
        QVERIFY(!wayland.checks.isAccessibilityAvailable());
    }
};

QTEST_GUILESS_MAIN(TestPortalShortcutsMonitor)
#include "tst_PortalShortcutsMonitor.moc"
