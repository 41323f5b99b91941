#include "platform/KeychainSecretStore.h"

#include <QTest>
#include <QUuid>

// The real keychain, through the Secret Service of the D-Bus session that
// scripts/with-test-services starts with an unlocked gnome-keyring.
class TestKeychainSecretStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void itemsAreWrittenReadAndRemoved()
    {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("No D-Bus session: the Secret Service is unavailable");
        // A service name of its own so a developer's real items are never touched.
        KeychainSecretStore store(QStringLiteral("com.torvenak.talvoro-mac.test-") + QUuid::createUuid().toString(QUuid::Id128));
        const QString key = QStringLiteral("auth-access-token");

        auto written = QCoro::waitFor(store.write(key, QStringLiteral("secret-1")));
        if (!written)
            QSKIP(qPrintable(QStringLiteral("Secret Service unavailable: ") + written.error().detail));
        auto read = QCoro::waitFor(store.read(key));
        QVERIFY(read);
        QCOMPARE(*read, std::optional<QString>(QStringLiteral("secret-1")));

        // Operations apply in the order they were started.
        auto remove = store.remove(key);
        auto rewrite = store.write(key, QStringLiteral("secret-2"));
        QVERIFY(QCoro::waitFor(remove));
        QVERIFY(QCoro::waitFor(rewrite));
        read = QCoro::waitFor(store.read(key));
        QCOMPARE(*read, std::optional<QString>(QStringLiteral("secret-2")));

        QVERIFY(QCoro::waitFor(store.remove(key)));
        read = QCoro::waitFor(store.read(key));
        QVERIFY(read);
        QVERIFY(!read->has_value());
        QVERIFY(QCoro::waitFor(store.remove(key))); // removing a missing item succeeds
    }
};

QTEST_GUILESS_MAIN(TestKeychainSecretStore)
#include "tst_KeychainSecretStore.moc"
