#include "platform/AtomicJsonFile.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

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
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            file.close();
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
};

QTEST_GUILESS_MAIN(TestAtomicJsonFile)
#include "tst_AtomicJsonFile.moc"
