#include "platform/AtomicJsonFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

class TestAtomicJsonFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writeCreatesFolderAndReplacesWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nested/deeper/file.json"));
        QVERIFY(AtomicJsonFile::write(path, QJsonDocument(QJsonObject{{"a", QString(5000, 'x')}})).has_value());
        QVERIFY(AtomicJsonFile::write(path, QJsonDocument(QJsonObject{{"b", 1}})).has_value());
        const auto loaded = AtomicJsonFile::load(path);
        QCOMPARE(loaded.status, AtomicJsonFile::LoadStatus::loaded);
        QCOMPARE(loaded.document.object(), (QJsonObject{{"b", 1}}));
        // No temporary files left next to it.
        QCOMPARE(QDir(dir.filePath(QStringLiteral("nested/deeper"))).entryList(QDir::Files).size(), 1);
    }

    void missingFileIsNotAnError()
    {
        QTemporaryDir dir;
        QCOMPARE(AtomicJsonFile::load(dir.filePath(QStringLiteral("none.json"))).status,
                 AtomicJsonFile::LoadStatus::missing);
    }

    void corruptFileIsMovedAsideNotLost()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("queue.json"));
        for (const QByteArray &bytes : {QByteArray("{\"items\": [1, 2"), QByteArray(""), QByteArray("\xff\xfe")}) {
            QVERIFY(writeFile(path, bytes));
            const auto loaded = AtomicJsonFile::load(path);
            QCOMPARE(loaded.status, AtomicJsonFile::LoadStatus::corrupt);
            QVERIFY(!loaded.error.isEmpty());
            QVERIFY(!QFile::exists(path));
            QVERIFY(loaded.movedAsidePath.startsWith(path + QStringLiteral(".corrupt-")));
            QFile kept(loaded.movedAsidePath);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), bytes);
        }
        // Three corrupt files in the same second each keep their own name.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
    }

    // On a full disk the write fails, says so, and the previous file stays whole.
    void fullDiskKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString mountPoint = dir.filePath(QStringLiteral("small"));
        QVERIFY(QDir().mkpath(mountPoint));
        const QByteArray target = QFile::encodeName(mountPoint);
        if (::mount("tmpfs", target.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("Cannot mount a 64 KiB tmpfs here (needs root and mount rights); full-disk case not run");
        const auto unmount = qScopeGuard([&] { ::umount2(target.constData(), MNT_DETACH); });

        const QString path = mountPoint + QStringLiteral("/queue.json");
        const QJsonObject good{{"items", QJsonArray{1, 2, 3}}};
        QVERIFY(AtomicJsonFile::write(path, QJsonDocument(good)).has_value());
        for (int size : {100, 20'000, 40'000}) { // buffered in QFileDevice, then beyond its buffer
            QFile filler(mountPoint + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(4096, 'f')) > 0 && filler.flush()) {
            }
            filler.close();
            const auto written = AtomicJsonFile::write(path, QJsonDocument(QJsonObject{{"items", QString(size, 'x')}}));
            QVERIFY2(!written.has_value(), "a write onto a full disk reported success");
            QVERIFY(!written.error().isEmpty());
            const auto loaded = AtomicJsonFile::load(path);
            QCOMPARE(loaded.status, AtomicJsonFile::LoadStatus::loaded);
            QCOMPARE(loaded.document.object(), good);
            QCOMPARE(QDir(mountPoint).entryList(QDir::Files).size(), 2); // no temporary left behind
            QFile::remove(filler.fileName());
        }
    }
};

QTEST_GUILESS_MAIN(TestAtomicJsonFile)
#include "tst_AtomicJsonFile.moc"
