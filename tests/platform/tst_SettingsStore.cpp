#include "support/TestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QLockFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

class TestSettingsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedValuesRoundTripAcrossRestart()
    {
        TemporarySettings s;
        s.store->setBool(QStringLiteral("flag"), true);
        s.store->setInt64(QStringLiteral("count"), -9000000000LL);
        s.store->setUInt64(QStringLiteral("mods"), 0xFFFFFFFFFFFFFFFFULL);
        s.store->setDouble(QStringLiteral("volume"), 0.7);
        s.store->setString(QStringLiteral("name"), QStringLiteral("Ção @ ; = \"x\""));
        s.store->setData(QStringLiteral("blob"), QByteArray("\x00\x01{\"a\":1}", 9));
        s.reopen();
        QCOMPARE(s.store->boolValue(QStringLiteral("flag")), true);
        QCOMPARE(s.store->int64Value(QStringLiteral("count")), -9000000000LL);
        QCOMPARE(s.store->uint64Value(QStringLiteral("mods")), 0xFFFFFFFFFFFFFFFFULL);
        QCOMPARE(s.store->doubleValue(QStringLiteral("volume")), 0.7);
        QCOMPARE(s.store->stringValue(QStringLiteral("name")), QStringLiteral("Ção @ ; = \"x\""));
        QCOMPARE(s.store->dataValue(QStringLiteral("blob")), QByteArray("\x00\x01{\"a\":1}", 9));
    }

    void absentAndWronglyTypedValuesGiveTheCallersDefault()
    {
        TemporarySettings s;
        QCOMPARE(s.store->boolValue(QStringLiteral("missing"), true), true);
        QCOMPARE(s.store->int64Value(QStringLiteral("missing"), 7), 7);
        QCOMPARE(s.store->stringValue(QStringLiteral("missing"), QStringLiteral("d")), QStringLiteral("d"));
        s.store->setString(QStringLiteral("text"), QStringLiteral("not a number"));
        QCOMPARE(s.store->int64Value(QStringLiteral("text"), 5), 5);
        QCOMPARE(s.store->uint64Value(QStringLiteral("text"), 6u), 6u);
        QCOMPARE(s.store->doubleValue(QStringLiteral("text"), 1.5), 1.5);
        QCOMPARE(s.store->boolValue(QStringLiteral("text"), true), true);
        QCOMPARE(s.store->dataValue(QStringLiteral("text"), "def"), QByteArray("def"));
        s.store->setData(QStringLiteral("blob"), "bytes");
        QCOMPARE(s.store->stringValue(QStringLiteral("blob"), QStringLiteral("d")), QStringLiteral("d"));
        s.store->setInt64(QStringLiteral("negative"), -1);
        QCOMPARE(s.store->uint64Value(QStringLiteral("negative"), 3u), 3u);
    }

    void corruptFileReadsAsAbsentWithoutCrashing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.ini"));
        QVERIFY(writeFile(path, "\xff\xfe[General\nweeklyUsed=@ByteArray(\nflag=\x01\x02\nvolume=1e999\n=\n[[[\n"));
        SettingsStore store(path);
        QCOMPARE(store.int64Value(QStringLiteral("weeklyUsed"), 4), 4);
        QCOMPARE(store.boolValue(QStringLiteral("flag"), true), true);
        store.setInt64(QStringLiteral("weeklyUsed"), 3);
        QCOMPARE(store.int64Value(QStringLiteral("weeklyUsed")), 3);
    }

    void foreignValueTypesInTheFileReadAsAbsent()
    {
        // QSettings decodes "@Rect(...)", "@Variant(...)" and friends into
        // geometry, dates or lists; none of them is a text or a number.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.ini"));
        QVERIFY(writeFile(path, "[General]\nkeyboardAccentColor=@Rect(1 2 3 4)\nname=@Size(5 6)\n"
                                "list=a, b\nweeklyUsed=@Point(7 8)\n"));
        SettingsStore store(path);
        QCOMPARE(store.stringValue(QStringLiteral("keyboardAccentColor"), QStringLiteral("default")),
                 QStringLiteral("default"));
        QCOMPARE(store.stringValue(QStringLiteral("name"), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(store.stringValue(QStringLiteral("list"), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(store.int64Value(QStringLiteral("weeklyUsed"), 4), 4);
        QCOMPARE(store.boolValue(QStringLiteral("name"), true), true);
    }

    void registeredDefaultsAreReadButNeverWritten()
    {
        TemporarySettings s;
        s.store->registerDefaults(SettingsKeys::soundFeedbackVolume, SettingsKeys::soundFeedbackEnabled);
        QCOMPARE(s.store->doubleValue(QStringLiteral("soundFeedbackVolume")), 0.7);
        QCOMPARE(s.store->boolValue(QStringLiteral("soundFeedbackEnabled")), true);
        QVERIFY(!s.store->contains(QStringLiteral("soundFeedbackVolume")));
        s.reopen();
        QCOMPARE(s.store->doubleValue(QStringLiteral("soundFeedbackVolume"), 0.1), 0.1);
    }

    // A value the user chose that happens to equal the registered default is
    // their choice: a second store on the same file, without that default
    // registered, reads it back.
    void aValueEqualToItsRegisteredDefaultIsStored_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("bool") << QStringLiteral("soundFeedbackEnabled") << QVariant(true);
        QTest::newRow("double") << QStringLiteral("soundFeedbackVolume") << QVariant(0.7);
        QTest::newRow("int64") << QStringLiteral("weeklyLimit") << QVariant(qint64(500));
        QTest::newRow("uint64") << QStringLiteral("hotkeyModifiers") << QVariant(quint64(0x60000));
        QTest::newRow("string") << QStringLiteral("keyboardAccentColor") << QVariant(QStringLiteral("blue"));
    }
    void aValueEqualToItsRegisteredDefaultIsStored()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        TemporarySettings s;
        s.store->registerDefaults({{key, value}});
        switch (value.typeId()) {
        case QMetaType::Bool: s.store->setBool(key, value.toBool()); break;
        case QMetaType::Double: s.store->setDouble(key, value.toDouble()); break;
        case QMetaType::LongLong: s.store->setInt64(key, value.toLongLong()); break;
        case QMetaType::ULongLong: s.store->setUInt64(key, value.toULongLong()); break;
        default: s.store->setString(key, value.toString()); break;
        }
        QVERIFY(s.store->contains(key));
        QVERIFY(s.store->synchronize());
        SettingsStore second(s.dir.filePath(QStringLiteral("settings.ini")));
        QVERIFY(second.contains(key));
        switch (value.typeId()) {
        case QMetaType::Bool: QCOMPARE(second.boolValue(key, false), true); break;
        case QMetaType::Double: QCOMPARE(second.doubleValue(key, 0.1), value.toDouble()); break;
        case QMetaType::LongLong: QCOMPARE(second.int64Value(key, 1), value.toLongLong()); break;
        case QMetaType::ULongLong: QCOMPARE(second.uint64Value(key, 1), value.toULongLong()); break;
        default: QCOMPARE(second.stringValue(key), value.toString()); break;
        }
    }

    void declaredKeysReadStoredThenRegisteredThenDeclaredValues()
    {
        TemporarySettings s;
        const auto &modifiers = SettingsKeys::hotkeyModifiers;
        QCOMPARE(s.store->value(modifiers), SettingsKeys::kDefaultHotkeyModifiers);
        s.store->setString(modifiers.key(), QStringLiteral("-1")); // unreadable as unsigned
        QCOMPARE(s.store->value(modifiers), SettingsKeys::kDefaultHotkeyModifiers);
        s.store->registerDefaults({{modifiers.key(), 5}});
        s.store->remove(modifiers);
        QCOMPARE(s.store->value(modifiers), 5u);
        s.store->set(modifiers, 0xFFFFFFFFFFFFFFFFULL);
        s.reopen();
        QCOMPARE(s.store->uint64Value(modifiers.key()), 0xFFFFFFFFFFFFFFFFULL);
    }

    void changeSignalFiresOnceForEachRealChange()
    {
        TemporarySettings s;
        QSignalSpy spy(s.store.get(), &UserDefaultsProviding::changed);
        s.store->setString(QStringLiteral("keyboardAccentColor"), QStringLiteral("green"));
        s.store->setString(QStringLiteral("keyboardAccentColor"), QStringLiteral("green"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("keyboardAccentColor"));

        s.store->remove(QStringLiteral("keyboardAccentColor"));
        s.store->remove(QStringLiteral("keyboardAccentColor"));
        QCOMPARE(spy.count(), 2);

        // Storing the registered default changes nothing a reader sees.
        s.store->registerDefaults({{QStringLiteral("soundFeedbackEnabled"), true}});
        s.store->setBool(QStringLiteral("soundFeedbackEnabled"), true);
        QCOMPARE(spy.count(), 2);
        s.store->setBool(QStringLiteral("soundFeedbackEnabled"), false);
        QCOMPARE(spy.count(), 3);
        // Removing it falls back to the registered true: a visible change.
        s.store->remove(QStringLiteral("soundFeedbackEnabled"));
        QCOMPARE(spy.count(), 4);

        s.store->setData(QStringLiteral("formattingOptions"), "{}");
        s.store->setData(QStringLiteral("formattingOptions"), "{}");
        s.store->setData(QStringLiteral("formattingOptions"), "{ }");
        QCOMPARE(spy.count(), 6);

        // Setting what is already stored writes nothing. A hard link to the
        // file tells: a write replaces the file, leaving the link alone on the old one.
        s.store->setString(QStringLiteral("keyboardAccentColor"), QStringLiteral("green"));
        QVERIFY(s.store->synchronize());
        const QByteArray file = QFile::encodeName(s.store->filePath());
        const QByteArray link = file + ".link";
        const auto rewritten = [&] {
            struct stat info {};
            return ::stat(link.constData(), &info) == 0 && info.st_nlink == 1;
        };
        QCOMPARE(::link(file.constData(), link.constData()), 0);
        s.store->setData(QStringLiteral("formattingOptions"), "{ }");
        s.store->setString(QStringLiteral("keyboardAccentColor"), QStringLiteral("green"));
        QCoreApplication::processEvents();
        QVERIFY(!rewritten());
        s.store->setString(QStringLiteral("keyboardAccentColor"), QStringLiteral("blue"));
        QCoreApplication::processEvents();
        QVERIFY(rewritten());
        ::unlink(link.constData());
    }

    void nonFiniteDoublesAreRefused()
    {
        TemporarySettings s;
        s.store->setDouble(QStringLiteral("x"), 2.5);
        s.store->setDouble(QStringLiteral("x"), std::numeric_limits<double>::infinity());
        s.store->setDouble(QStringLiteral("x"), std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(s.store->doubleValue(QStringLiteral("x")), 2.5);
    }

    // QSettings would wait for ever on a lock it cannot take (a live holder,
    // or a stale lock in a folder where it cannot be removed).
    void aTakenLockNeverBlocksAndTheChangeIsWrittenOnceItIsFree()
    {
        TemporarySettings s;
        QLockFile held(s.store->filePath() + QStringLiteral(".lock"));
        QVERIFY(held.tryLock(0));
        s.store->setString(QStringLiteral("k"), QStringLiteral("v"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cannot write the settings file .*lock")));
        QVERIFY(!s.store->synchronize());
        QCOMPARE(s.store->stringValue(QStringLiteral("k")), QStringLiteral("v"));
        QCoreApplication::processEvents();

        held.unlock();
        QTRY_VERIFY(QSettings(s.store->filePath(), QSettings::IniFormat).contains(QStringLiteral("k")));
    }

    // A kill right after the lock file was made leaves it empty. Nobody holds
    // it, so it is stale now, not in 30 s; an empty one its maker still holds
    // (it is about to write its id) is left alone.
    void anEmptyLockWithoutAHolderIsStaleAtOnce()
    {
        TemporarySettings s;
        const QString lockPath = s.store->filePath() + QStringLiteral(".lock");
        QVERIFY(writeFile(lockPath, {}));
        const int maker = ::open(QFile::encodeName(lockPath).constData(), O_RDONLY | O_CLOEXEC);
        QCOMPARE(::flock(maker, LOCK_EX | LOCK_NB), 0);
        s.store->setString(QStringLiteral("k"), QStringLiteral("v"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cannot write the settings file .*lock")));
        QVERIFY(!s.store->synchronize());

        ::close(maker);
        QVERIFY(s.store->synchronize());
        QVERIFY(QSettings(s.store->filePath(), QSettings::IniFormat).contains(QStringLiteral("k")));
    }

    // A full disk is named as such, not as a folder without write rights.
    // A tiny disk of its own: a tmpfs in a mount namespace of this process.
    void aFullDiskIsReportedAsSuch()
    {
        SmallDisk disk("64k");
        if (!disk.isMounted)
            QSKIP("a private tmpfs needs root");
        SettingsStore store(disk.filePath(QStringLiteral("settings.ini")));
        disk.fill();
        store.setString(QStringLiteral("k"), QString(8192, QLatin1Char('v')));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("Cannot write the settings file .*: the disk is full")));
        QSignalSpy full(&store, &SettingsStore::writeFailedForLackOfSpace);
        QVERIFY(!store.synchronize());
        QCOMPARE(full.count(), 1);
        disk.free();
        QVERIFY(store.synchronize());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_SettingsStore.moc"
