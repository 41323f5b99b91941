// Start to first painted main window: the application's own composition root
// (AppComposition, as main() builds it) over profiles of 0, 10,000 and
// 100,000 transcriptions, against a bare Qt window shown once, each a fresh
// process that quits after its first paint. Prints medians and ratios.
// Usage: talvoro-startup-bench [--records 0,10000,100000] [--repeats R] [--check]

#include "app/AppComposition.h"
#include "app/ui/MainWindow.h"
#include "platform/AppModelContainer.h"
#include "platform/Logging.h"
#include "platform/ModelContext.h"
#include "platform/SingleInstance.h"
#include "transcription/TranscriptionRecord.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Prints the time of the widget's first paint and quits.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QWidget &widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // After this paint has been drawn.
            QTimer::singleShot(0, [] {
                std::printf("painted %lld\n", monotonicNs());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

int runApp(int argc, char **argv)
{
    talvoro::installLogFormat();
    QApplication app(argc, argv);
    AppComposition::configureApplication();
    SingleInstance instance(SingleInstance::defaultServerName());
    if (instance.start({}) == SingleInstance::Role::secondary)
        return 2;
    AppComposition composition(instance, {});
    FirstPaint watcher(composition.shell().window());
    const int status = app.exec();
    composition.saveBeforeExit();
    return status;
}

int runBare(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(900, 600);
    FirstPaint watcher(window);
    window.show();
    return app.exec();
}

std::vector<TranscriptionRecord> makeRecords(int count)
{
    std::vector<TranscriptionRecord> records;
    records.reserve(size_t(count));
    const QString text = QStringLiteral("então amanhã a reunião com o cliente precisa revisar o relatório ").repeated(10);
    for (int i = 0; i < count; ++i) {
        records.emplace_back(text, 100, 40.0, QStringLiteral("pt"),
                             QDateTime::fromMSecsSinceEpoch(1'700'000'000'000 + qint64(i) * 60'000, Qt::UTC));
    }
    return records;
}

int runFill(int argc, char **argv, int count)
{
    QCoreApplication app(argc, argv);
    return AppModelContainer::shared().mainContext().upsertAll(makeRecords(count)) ? 0 : 1;
}

QProcessEnvironment profileEnvironment(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.info=false;*.debug=false"));
    return env;
}

// Milliseconds from starting the process to its first paint; < 0 on failure.
double timeToFirstPaint(const QStringList &arguments, const QString &home)
{
    QProcess child;
    child.setProcessEnvironment(profileEnvironment(home));
    child.setProcessChannelMode(QProcess::SeparateChannels);
    const qint64 started = monotonicNs();
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(120'000)) {
        child.kill();
        child.waitForFinished();
        return -1;
    }
    const QByteArray out = child.readAllStandardOutput();
    const qsizetype at = out.indexOf("painted ");
    if (child.exitCode() != 0 || at < 0) {
        std::fprintf(stderr, "child %s failed: %s\n", qPrintable(arguments.join(u' ')),
                     child.readAllStandardError().left(2000).constData());
        return -1;
    }
    const qint64 painted = out.mid(at + 8).trimmed().split('\n').first().toLongLong();
    return (painted - started) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && qstrcmp(argv[1], "--child-app") == 0)
        return runApp(argc, argv);
    if (argc >= 2 && qstrcmp(argv[1], "--child-bare") == 0)
        return runBare(argc, argv);
    if (argc >= 3 && qstrcmp(argv[1], "--fill") == 0)
        return runFill(argc, argv, QByteArray(argv[2]).toInt());

    QCoreApplication app(argc, argv);
    QList<int> profiles{0, 10'000, 100'000};
    int repeats = 7;
    bool check = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--records") && i + 1 < args.size()) {
            profiles.clear();
            for (const QString &n : args[++i].split(u','))
                profiles << n.toInt();
        } else if (args[i] == QStringLiteral("--repeats") && i + 1 < args.size()) {
            repeats = std::max(1, args[++i].toInt());
        } else if (args[i] == QStringLiteral("--check")) {
            check = true;
        }
    }

    QTemporaryDir root;
    std::vector<QString> homes;
    for (int records : profiles) {
        const QString home = root.filePath(QStringLiteral("profile-%1").arg(records));
        QDir().mkpath(home + QStringLiteral("/run"));
        QFile::setPermissions(home + QStringLiteral("/run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                               | QFileDevice::ExeOwner);
        QProcess fill;
        fill.setProcessEnvironment(profileEnvironment(home));
        fill.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        fill.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--fill"), QString::number(records)});
        if (!fill.waitForFinished(600'000) || fill.exitCode() != 0) {
            std::fprintf(stderr, "could not fill the profile of %d records\n", records);
            return 1;
        }
        homes.push_back(home);
    }
    const QString bareHome = root.filePath(QStringLiteral("bare"));
    QDir().mkpath(bareHome);

    // Interleaved, so that load on the machine falls on every figure alike.
    std::vector<double> bare;
    std::vector<std::vector<double>> appTimes(profiles.size());
    for (int run = 0; run < repeats + 1; ++run) {
        const double b = timeToFirstPaint({QStringLiteral("--child-bare")}, bareHome);
        std::vector<double> a;
        for (size_t p = 0; p < homes.size(); ++p)
            a.push_back(timeToFirstPaint({QStringLiteral("--child-app")}, homes[p]));
        if (b < 0 || std::any_of(a.begin(), a.end(), [](double v) { return v < 0; }))
            return 1;
        if (run == 0)
            continue; // warms the file cache
        bare.push_back(b);
        for (size_t p = 0; p < homes.size(); ++p)
            appTimes[p].push_back(a[p]);
    }

    std::printf("talvoro-startup-bench: start to first painted window, median of %d runs\n", repeats);
    std::printf("%-34s %10s  %-26s %7s  %s\n", "figure", "ms", "baseline", "ratio", "target");
    const double bareMs = median(bare);
    std::printf("%-34s %10.1f\n", "bare Qt window", bareMs);
    bool allMet = true;
    double emptyMs = 0;
    for (size_t p = 0; p < homes.size(); ++p) {
        const double ms = median(appTimes[p]);
        const bool empty = profiles[int(p)] == 0;
        if (empty)
            emptyMs = ms;
        const double baseline = empty ? bareMs : emptyMs;
        const double target = empty ? 1.8 : (profiles[int(p)] >= 100'000 ? 1.2 : 0);
        const double ratio = baseline > 0 ? ms / baseline : 0;
        QString verdict = QStringLiteral("-");
        if (target > 0 && baseline > 0) {
            const bool met = ratio <= target;
            allMet = allMet && met;
            verdict = QStringLiteral("<= %1 %2").arg(target).arg(met ? QStringLiteral("met") : QStringLiteral("MISSED"));
        }
        std::printf("%-34s %10.1f  %-26s %7.3f  %s\n",
                    qPrintable(QStringLiteral("app, %1 transcriptions").arg(profiles[int(p)])), ms,
                    empty ? "bare Qt window" : "app, empty store", ratio, qPrintable(verdict));
    }
    return check && !allMet ? 1 : 0;
}
