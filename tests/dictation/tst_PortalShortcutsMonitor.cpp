// The hotkeys on Wayland through a fake GlobalShortcuts portal on the tests'
// session bus, reached by its connection's unique name so that parallel
// tests never share it: the stored combinations are bound, an activation
// runs the same actions as a key press, Esc is bound only while recording,
// a changed hotkey rebinds.
#include "dictation/HotkeyManager.h"
#include "dictation/KeyCodeMap.h"
#include "dictation/PortalShortcutsMonitor.h"
#include "platform/SettingsKeys.h"
#include "support/TestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QMutex>
#include <QTest>
#include <QThread>

using Kind = HotkeyManager::HotkeyKind;

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kConnection = QStringLiteral("fake-shortcuts-portal");

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

// Sessions, bindings and activations, answered from a thread of its own as
// the monitor's availability check blocks.
class FakeShortcutsPortal final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version CONSTANT)
public:
    struct Binding
    {
        QString session;
        QHash<QString, QString> triggers; // shortcut id → preferred trigger
    };

    FakeShortcutsPortal()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnection))
    {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        moveToThread(&m_thread);
        m_thread.start();
        m_bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
    }
    ~FakeShortcutsPortal() override
    {
        m_bus.unregisterObject(kPath);
        QDBusConnection::disconnectFromBus(kConnection);
        m_thread.quit();
        m_thread.wait();
    }

    QString service() const { return m_bus.baseService(); }
    uint version() const { return 1; }

    QList<Binding> bindings() const
    {
        QMutexLocker lock(&m_mutex);
        return m_bindings;
    }
    QStringList closed() const
    {
        QMutexLocker lock(&m_mutex);
        return m_closed;
    }
    void sessionClosed(const QString &path)
    {
        QMutexLocker lock(&m_mutex);
        m_closed << path;
    }

    // The user pressed the trigger of that shortcut.
    void activate(const QString &session, const QString &id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                                                         QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(0) << QVariantMap();
        QMetaObject::invokeMethod(this, [this, signal] { m_bus.send(signal); }, Qt::BlockingQueuedConnection);
    }

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap &options, const QDBusMessage &message)
    {
        const QString session = QStringLiteral("%1/session/%2/%3")
                                    .arg(kPath, sender(message),
                                         options.value(QStringLiteral("session_handle_token")).toString());
        m_bus.registerObject(session, new FakeSession(*this, session, this), QDBusConnection::ExportAllSlots);
        return respond(message, options, {{QStringLiteral("session_handle"),
                                           QVariant::fromValue(QDBusObjectPath(session))}});
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath &session, const QList<PortalShortcut> &shortcuts,
                                  const QString &, const QVariantMap &options, const QDBusMessage &message)
    {
        Binding binding{session.path(), {}};
        for (const PortalShortcut &shortcut : shortcuts)
            binding.triggers.insert(shortcut.id, shortcut.properties.value(QStringLiteral("preferred_trigger")).toString());
        {
            QMutexLocker lock(&m_mutex);
            m_bindings << binding;
        }
        return respond(message, options, {});
    }

private:
    static QString sender(const QDBusMessage &message)
    {
        return message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    }

    // Answers on the request's predictable path once the call has returned.
    QDBusObjectPath respond(const QDBusMessage &message, const QVariantMap &options, const QVariantMap &results)
    {
        const QString request = QStringLiteral("%1/request/%2/%3")
                                    .arg(kPath, sender(message), options.value(QStringLiteral("handle_token")).toString());
        QDBusMessage response = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                           QStringLiteral("Response"));
        response << uint(0) << results;
        QMetaObject::invokeMethod(this, [this, response] { m_bus.send(response); }, Qt::QueuedConnection);
        return QDBusObjectPath(request);
    }

    QDBusConnection m_bus;
    QThread m_thread;
    mutable QMutex m_mutex;
    QList<Binding> m_bindings;
    QStringList m_closed;
};

void FakeSession::Close()
{
    m_portal.sessionClosed(m_path);
}

constexpr quint64 kCtrlShift = MacModifier::control | MacModifier::shift;

struct Fixture
{
    FakeShortcutsPortal portal;
    TemporarySettings settings;
    std::unique_ptr<HotkeyManager> manager;
    QStringList actions;

    Fixture()
    {
        // ⌥⌘Space for translation, stored as an earlier version wrote it.
        settings.store->set(SettingsKeys::translationHotkeyKeyCode, 49);
        settings.store->set(SettingsKeys::translationHotkeyModifiers, MacModifier::option | MacModifier::command);
        manager = std::make_unique<HotkeyManager>(
            *settings.store, std::make_unique<PortalShortcutsMonitor>(QDBusConnection::sessionBus(), portal.service()));
        manager->setDictationToggleHandler([this] { actions << QStringLiteral("dictation"); });
        manager->setTranslationToggleHandler([this] { actions << QStringLiteral("translation"); });
        manager->setPasteLastHandler([this] { actions << QStringLiteral("pasteLast"); });
        manager->setCancelHandler([this] { actions << QStringLiteral("cancel"); });
    }

    // The actions an activation ran. Paste last on the live hotkeys' session
    // follows as a marker (signals of one sender arrive in order), so an
    // activation that ran nothing is known without waiting for a time-out.
    QString activate(int binding, const QString &id, int liveBinding = 0)
    {
        actions.clear();
        portal.activate(portal.bindings().value(binding).session, id);
        portal.activate(portal.bindings().value(liveBinding).session, QStringLiteral("pasteLast"));
        if (!QTest::qWaitFor([this] { return actions.endsWith(QStringLiteral("pasteLast")); }, 10000))
            return QStringLiteral("(no marker) ") + actions.join(QLatin1Char(','));
        actions.removeLast();
        return actions.join(QLatin1Char(','));
    }
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

    void bindingsFollowTheHotkeysAndTheRecording()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("No session bus (scripts/with-test-services gives one)");
        TemporarySettings settings;
        HotkeyManager none(*settings.store, std::make_unique<PortalShortcutsMonitor>(
                                                QDBusConnection::sessionBus(), QStringLiteral("org.example.NoPortal")));
        QVERIFY(!none.globalHotkeysAvailable());

        Fixture f;
        QVERIFY(f.manager->globalHotkeysAvailable());
        f.manager->startMonitoring();
        QTRY_VERIFY_WITH_TIMEOUT(f.manager->isMonitoring(), 10000);
        QCOMPARE(f.portal.bindings().size(), 1);
        const QHash<QString, QString> expected{{QStringLiteral("dictation"), QStringLiteral("CTRL+SHIFT+d")},
                                               {QStringLiteral("translation"), QStringLiteral("ALT+LOGO+space")},
                                               {QStringLiteral("pasteLast"), QStringLiteral("CTRL+SHIFT+v")}};
        QCOMPARE(f.portal.bindings().first().triggers, expected);
        QCOMPARE(f.activate(0, QStringLiteral("dictation")), QStringLiteral("dictation"));
        QCOMPARE(f.activate(0, QStringLiteral("translation")), QStringLiteral("translation"));
        QCOMPARE(f.activate(0, QStringLiteral("cancel")), QString()); // nothing records

        // Esc has a session of its own while a recording runs.
        f.manager->setRecordingActive(true);
        QTRY_COMPARE_WITH_TIMEOUT(f.portal.bindings().size(), 2, 10000);
        const QString escapeSession = f.portal.bindings().last().session;
        QCOMPARE(f.portal.bindings().last().triggers,
                 (QHash<QString, QString>{{QStringLiteral("cancel"), QStringLiteral("Escape")}}));
        QCOMPARE(f.activate(1, QStringLiteral("cancel")), QStringLiteral("cancel"));
        f.manager->setRecordingActive(false);
        QTRY_COMPARE_WITH_TIMEOUT(f.portal.closed(), QStringList{escapeSession}, 10000);
        QCOMPARE(f.activate(1, QStringLiteral("cancel")), QString());

        // A changed hotkey binds all three in a new session and closes the old one.
        QVERIFY(f.manager->updateHotkey(Kind::dictation, 2, MacModifier::control | MacModifier::option));
        QTRY_COMPARE_WITH_TIMEOUT(f.portal.bindings().size(), 3, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(f.manager->isMonitoring(), 10000);
        const auto bindings = f.portal.bindings();
        QCOMPARE(bindings.last().triggers.value(QStringLiteral("dictation")), QStringLiteral("CTRL+ALT+d"));
        QTRY_COMPARE_WITH_TIMEOUT(f.portal.closed(), (QStringList{escapeSession, bindings.first().session}), 10000);
        QCOMPARE(f.activate(0, QStringLiteral("dictation"), 2), QString());
        QCOMPARE(f.activate(2, QStringLiteral("dictation"), 2), QStringLiteral("dictation"));
    }
};

QTEST_GUILESS_MAIN(TestPortalShortcutsMonitor)
#include "tst_PortalShortcutsMonitor.moc"
