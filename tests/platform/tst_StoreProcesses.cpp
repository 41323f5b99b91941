// Several processes on one store file: the test binary starts copies of
// itself as writers (killed with SIGKILL mid-write) and as concurrent openers
// of a fresh file.

#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "support/TestSupport.h"
#include "transcription/StoreQueries.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <random>

namespace {

const char *const kWriter = "--store-writer";
const char *const kOpener = "--store-opener";

// Commits "row N" for N = first, first+1, … for ever, every fifth commit with
// 300 more rows and every seventh also deleting some, and prints N once its
// commit returned.
int runWriter(const QString &path, int first)
{
    AppModelContainer container(path);
    if (!container.isPersistent() || !container.setAsideFilePath().isEmpty())
        return 2;
    auto context = container.makeContext();
    context->setAutosaveEnabled(false);
    for (int n = first;; ++n) {
        context->insert(dictation(QStringLiteral("row %1").arg(n), at(n)));
        if (n % 5 == 0) {
            for (int i = 0; i < 300; ++i)
                context->insert(dictation(QStringLiteral("filler %1 %2").arg(n).arg(i).repeated(8), at(n)));
        }
        if (n % 7 == 0) {
            const auto fillers = context->fetch(FetchDescriptor<TranscriptionRecord>{
                [](const TranscriptionRecord &r) { return r.text.startsWith(QLatin1String("filler")); }, {}, 100});
            for (const auto &filler : fillers.value_or(std::vector<TranscriptionRecord>{}))
                std::ignore = context->remove<TranscriptionRecord>(filler.id);
        }
        if (!context->save())
            return 3;
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
}

// Says it is ready, waits for the go file, then opens the store once.
int runOpener(const QString &path, const QString &go)
{
    std::printf("ready\n");
    std::fflush(stdout);
    while (!QFile::exists(go))
        QThread::usleep(200);
    AppModelContainer container(path);
    return container.isPersistent() && container.setAsideFilePath().isEmpty() ? 0 : 1;
}

} // namespace

class TestStoreProcesses : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void aKilledWriterNeverLosesACommitOrTheFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("killed.store"));
        std::mt19937 random(5);
        int next = 0;
        for (int round = 0; round < 12; ++round) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(),
                         {QString::fromLatin1(kWriter), path, QString::number(next)});
            QVERIFY(writer.waitForStarted());
            // Kill it in the middle of a random commit: once it has reported
            // a random number of them, while it writes the next.
            const int commits = 2 + int(random() % 40);
            QByteArray reported;
            while (reported.count('\n') < commits && writer.waitForReadyRead(10000))
                reported += writer.readAllStandardOutput();
            QVERIFY(reported.count('\n') >= commits);
            ::kill(pid_t(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished(10000));
            reported += writer.readAllStandardOutput();
            const int lastCommitted = reported.trimmed().split('\n').last().toInt();

            AppModelContainer reopened(path);
            QVERIFY(reopened.isPersistent());
            QVERIFY2(reopened.setAsideFilePath().isEmpty(), "the file was taken for damaged");
            const auto rows = reopened.fetchCommitted<TranscriptionRecord>();
            QVERIFY(rows);
            QSet<QString> texts;
            for (const auto &r : *rows)
                texts.insert(r.text);
            for (int n = 0; n <= lastCommitted; ++n)
                QVERIFY2(texts.contains(QStringLiteral("row %1").arg(n)), qPrintable(QString::number(n)));
            // A commit the writer did not live to report may be there or not, whole.
            int found = lastCommitted + 1;
            while (texts.contains(QStringLiteral("row %1").arg(found)))
                ++found;
            next = found;
        }
        QVERIFY(next > 12);
    }

    void processesOpeningAFreshFileMigrateItOnce()
    {
        for (int round = 0; round < 10; ++round) {
            const QString path = m_dir.filePath(QStringLiteral("fresh-%1.store").arg(round));
            const QString go = path + QStringLiteral(".go");
            std::vector<std::unique_ptr<QProcess>> openers;
            for (int i = 0; i < 4; ++i) {
                auto &opener = openers.emplace_back(std::make_unique<QProcess>());
                opener->setProcessChannelMode(QProcess::ForwardedErrorChannel);
                opener->start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kOpener), path, go});
                QVERIFY(opener->waitForStarted());
            }
            // All of them wait for the go, so they open at once.
            for (auto &opener : openers)
                QVERIFY(opener->canReadLine() || opener->waitForReadyRead(20000));
            QFile(go).open(QIODevice::WriteOnly);
            for (auto &opener : openers) {
                QVERIFY(opener->waitForFinished(20000));
                QCOMPARE(opener->exitStatus(), QProcess::NormalExit);
                QCOMPARE(opener->exitCode(), 0);
            }
            AppModelContainer container(path);
            QCOMPARE(container.database().queryText(QStringLiteral("PRAGMA user_version")),
                     QString::number(AppModelContainer::kSchemaVersion));
        }
    }
};

int main(int argc, char **argv)
{
    if (argc >= 4 && qstrcmp(argv[1], kWriter) == 0) {
        QCoreApplication app(argc, argv);
        return runWriter(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    if (argc >= 4 && qstrcmp(argv[1], kOpener) == 0) {
        QCoreApplication app(argc, argv);
        return runOpener(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    TestStoreProcesses test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_StoreProcesses.moc"
