// The returning user's start and screens, as the application's own
// composition root (AppComposition, as main() builds it) shows them: a
// profile whose onboarding is done, signed out with access allowed, home
// shown, over 0, 10,000 and 100,000 transcriptions. Each run is a fresh
// process that reports its first paint of the main window and its resident
// memory then; it then switches the sidebar 7 times (history, dictation
// settings, settings, home, history, home, history), timing each switch to the
// new screen's paint and the longest event-loop turn, and reports its
// resident memory at the end. Then it opens the system settings sheet and
// clicks each accent swatch in turn, twice over, timing each click to the end
// of the window's next frame, against the median sidebar switch timed the same
// way. The baseline is talvoro-bare-window, a separate
// small executable painting one line of text, started the same way in the
// same run. The empty profile also starts on a session bus of the bench's
// own: without a desktop portal, with one whose process is stopped (it must
// not delay the first frame) and with one that never answers (it costs the
// portal probe's bound). Prints medians and ratios.
// Usage: talvoro-startup-bench [--records 0,10000,100000] [--repeats R] [--check]

#include "bench/StallMonitor.h"
#include "app/AppComposition.h"
#include "app/ui/MainWindow.h"
#include "app/ui/NavigationStackView.h"
#include "look/AccentColorOption.h"
#include "platform/AppModelContainer.h"
#include "platform/DisplaySession.h"
#include "platform/Logging.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "screens/settings/ui/SystemSettingsSheetView.h"
#include "transcription/TranscriptionRecord.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>

namespace {

qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Calls `then` on the turn after the widget's next paint has been drawn, or
// with QEvent::UpdateRequest on a window, after its next frame (the backing
// store's flush, whichever of its widgets changed).
class NextPaint : public QObject
{
public:
    NextPaint(QWidget &widget, std::function<void()> then, QEvent::Type type = QEvent::Paint)
        : m_then(std::move(then))
        , m_type(type)
    {
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == m_type && m_then) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, [then = std::move(m_then), self = this] {
                then();
                delete self;
            });
            m_then = nullptr;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_then;
    QEvent::Type m_type;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}


// The sidebar switches after the first paint, each timed to the new screen's paint.
class ScreenTour
{
public:
    explicit ScreenTour(AppShell &shell) : m_shell(shell) {}

    void start() { next(); }

private:
    void next()
    {
        static constexpr SidebarItem steps[] = {SidebarItem::history, SidebarItem::talvoroSettings,
                                                SidebarItem::settings, SidebarItem::home, SidebarItem::history,
                                                SidebarItem::home, SidebarItem::history};
        if (m_step == int(std::size(steps))) {
            std::printf("switch-ms %.3f\n", median(m_switches));
            // Deferred deletions and the history's background work settle first.
            QTimer::singleShot(500, [this] {
                std::printf("stall-ms %.3f\nrss-after %lld\n", m_stalls ? m_stalls->longestMs() : 0.0,
                            residentKiB());
                std::fflush(stdout);
                openAccents();
            });
            return;
        }
        const SidebarItem item = steps[m_step++];
        if (!m_stalls)
            m_stalls = std::make_unique<StallMonitor>();
        QElapsedTimer timer;
        timer.start();
        m_shell.model().selectSidebarItem(item);
        new NextPaint(*m_shell.window().mainInterface()->detail()->rootScreen(), [this, timer, item, first = m_step == 1] {
            const double ms = timer.nsecsElapsed() / 1e6;
            m_switches.push_back(ms);
            if (item == SidebarItem::history && first)
                std::printf("history-ms %.3f\n", ms);
            if (item == SidebarItem::home && !m_homeReported) {
                m_homeReported = true;
                std::printf("home-ms %.3f\n", ms);
            }
            next();
        });
    }

    void openAccents()
    {
        m_shell.model().setActiveSettingsModal(SettingsModal::system, MainWindowModel::Animation::none);
        new NextPaint(m_shell.window(), [this] {
            m_swatches = m_shell.window().findChildren<talvoro::settings::AccentSwatch *>();
            nextAccent();
        }, QEvent::UpdateRequest);
    }

    void nextAccent()
    {
        const int clicks = 2 * int(talvoro::AccentColorOption::allCases.size());
        if (m_swatches.isEmpty() || m_accentStep == clicks) {
            std::printf("accent-ms %.3f\naccent-max-ms %.3f\n", median(m_accents),
                        m_accents.empty() ? 0.0 : *std::max_element(m_accents.begin(), m_accents.end()));
            std::fflush(stdout);
            QCoreApplication::quit();
            return;
        }
        // From the second swatch on, so that every click changes the colour.
        auto *swatch = m_swatches[(m_accentStep + 1) % m_swatches.size()];
        ++m_accentStep;
        QElapsedTimer timer;
        timer.start();
        swatch->click();
        new NextPaint(m_shell.window(), [this, timer] {
            m_accents.push_back(timer.nsecsElapsed() / 1e6);
            nextAccent();
        }, QEvent::UpdateRequest);
    }

    AppShell &m_shell;
    int m_step = 0;
    bool m_homeReported = false;
    std::unique_ptr<StallMonitor> m_stalls;
    std::vector<double> m_switches;
    QList<talvoro::settings::AccentSwatch *> m_swatches;
    int m_accentStep = 0;
    std::vector<double> m_accents;
};

int runApp(int argc, char **argv)
{
    talvoro::installLogFormat();
    // As main() does: the platform and its theme, from the session bus.
    talvoro::chooseQtPlatform();
    QApplication app(argc, argv);
    AppComposition::configureApplication();
    SingleInstance instance(SingleInstance::defaultServerName());
    if (instance.start({}) == SingleInstance::Role::secondary)
        return 2;
    AppComposition composition(instance, {});
    ScreenTour tour(composition.shell());
    new NextPaint(composition.shell().window(), [&tour, &composition] {
        std::printf("painted %lld\nrss %lld\n", monotonicNs(), residentKiB());
        std::fflush(stdout);
        if (!composition.shell().window().mainInterface()) {
            std::fprintf(stderr, "the profile does not open the main window\n");
            QCoreApplication::exit(3);
            return;
        }
        tour.start();
    });
    const int status = app.exec();
    composition.saveBeforeExit();
    return status;
}

// A desktop portal's name and object on the bus at `address`, for the bench
// to stop; "ready" once they are there.
int runFakePortal(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLocal8Bit(argv[2]), QStringLiteral("portal"));
    QObject portal;
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                            QDBusConnection::ExportAllContents)
        || !bus.registerService(QString::fromLatin1(talvoro::kDesktopPortalService)))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
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
    // A returning user: onboarding done, signed out with access allowed, so
    // the main window opens on home.
    SettingsStore settings(SettingsStore::applicationFilePath());
    settings.set(SettingsKeys::onboardingCompleted, true);
    settings.set(SettingsKeys::allowUnauthenticatedAccess, true);
    if (!settings.synchronize())
        return 1;
    AppModelContainer container(AppModelContainer::applicationStorePath());
    return container.mainContext().upsertAll(makeRecords(count)) ? 0 : 1;
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

// The figures a child printed, keyed by name; "start-ms" is from starting
// the process to its first paint. Empty on failure.
std::map<QByteArray, double> runChild(const QString &program, const QStringList &arguments, const QString &home,
                                      const QProcessEnvironment &extra = {})
{
    QProcess child;
    QProcessEnvironment environment = profileEnvironment(home);
    for (const QString &name : extra.keys())
        environment.insert(name, extra.value(name));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    const qint64 started = monotonicNs();
    child.start(program, arguments);
    if (!child.waitForFinished(300'000)) {
        child.kill();
        child.waitForFinished();
        return {};
    }
    std::map<QByteArray, double> figures;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() == 2)
            figures[parts[0]] = parts[1].toDouble();
    }
    if (child.exitCode() != 0 || !figures.contains("painted")) {
        std::fprintf(stderr, "child %s %s failed: %s\n", qPrintable(program), qPrintable(arguments.join(u' ')),
                     child.readAllStandardError().left(2000).constData());
        return {};
    }
    figures["start-ms"] = (qint64(figures["painted"]) - started) / 1e6;
    return figures;
}

struct Row
{
    QString name;
    double value = 0;
    QString unit;
    QString baselineName;
    double baseline = 0;
    double target = 0; // on value / baseline (or on value when baseline is 0); 0: none
};

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && qstrcmp(argv[1], "--child-app") == 0)
        return runApp(argc, argv);
    if (argc >= 3 && qstrcmp(argv[1], "--fake-portal") == 0)
        return runFakePortal(argc, argv);
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
    if (!profiles.contains(0))
        profiles.prepend(0); // the baseline of the others

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
    const QString bareProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/talvoro-bare-window");

    // A session bus of the bench's own, X11 as far as the platform choice
    // goes. The portal's name, when taken, is this process's: it turns no
    // event loop while a child runs, so the portal never answers.
    QProcess busDaemon;
    busDaemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                    QStringLiteral("--print-address=1"),
                                                    QStringLiteral("--address=unix:dir=") + root.path()});
    if (!busDaemon.waitForStarted() || !busDaemon.waitForReadyRead(60'000)) {
        std::fprintf(stderr, "dbus-daemon did not start\n");
        return 1;
    }
    QProcessEnvironment portalSession;
    portalSession.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(busDaemon.readLine()).trimmed());
    portalSession.insert(QStringLiteral("DISPLAY"), qEnvironmentVariable("DISPLAY", QStringLiteral(":59999")));
    portalSession.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("x11"));
    portalSession.insert(QStringLiteral("WAYLAND_DISPLAY"), QString());
    QDBusConnection portalOwner = QDBusConnection::connectToBus(
        portalSession.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")), QStringLiteral("bench-portal"));
    // Calls to it wait for this thread's event loop, which never runs meanwhile.
    QObject portalObject;
    portalOwner.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portalObject,
                               QDBusConnection::ExportAllContents);
    const auto bareStart = [&] {
        return runChild(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-app")}, homes[0],
                        portalSession);
    };

    // Interleaved, so that load on the machine falls on every figure alike.
    std::map<QByteArray, std::vector<double>> bare;
    std::vector<std::map<QByteArray, std::vector<double>>> apps(profiles.size());
    std::vector<double> withoutPortal;
    std::vector<double> stoppedPortal;
    std::vector<double> hungPortal;
    for (int run = 0; run < repeats + 1; ++run) {
        const auto b = runChild(bareProgram, {}, bareHome);
        std::vector<std::map<QByteArray, double>> a;
        for (size_t p = 0; p < homes.size(); ++p)
            a.push_back(runChild(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-app")}, homes[p]));
        const auto noPortal = bareStart();
        QProcess fakePortal;
        fakePortal.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--fake-portal"), portalSession.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"))});
        if (!fakePortal.waitForReadyRead(60'000))
            return 1;
        ::kill(pid_t(fakePortal.processId()), SIGSTOP);
        const auto stopped = bareStart();
        ::kill(pid_t(fakePortal.processId()), SIGCONT);
        fakePortal.kill();
        fakePortal.waitForFinished();
        portalOwner.registerService(QString::fromLatin1(talvoro::kDesktopPortalService));
        const auto hung = bareStart();
        portalOwner.unregisterService(QString::fromLatin1(talvoro::kDesktopPortalService));
        if (b.empty() || noPortal.empty() || stopped.empty() || hung.empty()
            || std::any_of(a.begin(), a.end(), [](const auto &v) { return v.empty(); }))
            return 1;
        if (run == 0)
            continue; // warms the file cache
        withoutPortal.push_back(noPortal.at("start-ms"));
        stoppedPortal.push_back(stopped.at("start-ms"));
        hungPortal.push_back(hung.at("start-ms"));
        for (const auto &[name, value] : b)
            bare[name].push_back(value);
        for (size_t p = 0; p < homes.size(); ++p) {
            for (const auto &[name, value] : a[p])
                apps[p][name].push_back(value);
        }
    }

    auto figure = [&](size_t profile, const char *name) { return median(apps[profile][name]); };
    const double bareMs = median(bare["start-ms"]);
    const double bareMiB = median(bare["rss"]) / 1024;
    std::vector<Row> rows;
    rows.push_back({QStringLiteral("bare window, one text line"), bareMs, QStringLiteral("ms")});
    rows.push_back({QStringLiteral("bare window: resident at paint"), bareMiB, QStringLiteral("MiB")});
    for (size_t p = 0; p < homes.size(); ++p) {
        const int records = profiles[int(p)];
        const bool empty = records == 0;
        const bool large = records >= 100'000;
        const QString at = QStringLiteral("%1 transcriptions").arg(records);
        rows.push_back({QStringLiteral("start to main window, ") + at, figure(p, "start-ms"), QStringLiteral("ms"),
                        empty ? QStringLiteral("bare window") : QStringLiteral("empty store"),
                        empty ? bareMs : figure(0, "start-ms"), empty ? 1.8 : (large ? 1.2 : 0)});
        rows.push_back({QStringLiteral("choose an accent, ") + at, figure(p, "accent-ms"), QStringLiteral("ms"),
                        QStringLiteral("sidebar switch"), figure(p, "switch-ms"), 0});
        rows.push_back({QStringLiteral("slowest accent, ") + at, figure(p, "accent-max-ms"), QStringLiteral("ms"),
                        QStringLiteral("sidebar switch"), figure(p, "switch-ms"), 0});
        if (empty) {
            rows.push_back({QStringLiteral("resident at first paint, ") + at, figure(p, "rss") / 1024,
                            QStringLiteral("MiB"), QStringLiteral("bare window"), bareMiB, 1.6});
            continue;
        }
        rows.push_back({QStringLiteral("open history, ") + at, figure(p, "history-ms"), QStringLiteral("ms"),
                        QStringLiteral("empty store"), figure(0, "history-ms"), large ? 3.0 : 0});
        rows.push_back({QStringLiteral("open home, ") + at, figure(p, "home-ms"), QStringLiteral("ms"),
                        QStringLiteral("empty store"), figure(0, "home-ms"), large ? 1.5 : 0});
        rows.push_back({QStringLiteral("longest turn in 7 switches, ") + at, figure(p, "stall-ms"),
                        QStringLiteral("ms"), QStringLiteral("-"), 0, large ? 50.0 : 0});
        rows.push_back({QStringLiteral("resident after 7 switches, ") + at, figure(p, "rss-after") / 1024,
                        QStringLiteral("MiB"), QStringLiteral("at first paint"), figure(p, "rss") / 1024,
                        large ? 1.3 : 0});
    }

    rows.push_back({QStringLiteral("start, a stopped portal"), median(stoppedPortal), QStringLiteral("ms"),
                    QStringLiteral("no portal"), median(withoutPortal), 1.2});
    rows.push_back({QStringLiteral("start, a portal that never answers"), median(hungPortal), QStringLiteral("ms"),
                    QStringLiteral("no portal"), median(withoutPortal), 0});
    QDBusConnection::disconnectFromBus(QStringLiteral("bench-portal"));
    busDaemon.kill();
    busDaemon.waitForFinished();

    std::printf("talvoro-startup-bench: median of %d runs, each a fresh process\n", repeats);
    std::printf("%-44s %10s %-5s %-15s %10s %7s  %s\n", "figure", "value", "", "baseline", "", "ratio", "target");
    bool allMet = true;
    for (const Row &row : rows) {
        const double ratio = row.baseline > 0 ? row.value / row.baseline : 0;
        QString verdict = QStringLiteral("-");
        if (row.target > 0) {
            const bool met = (row.baseline > 0 ? ratio : row.value) <= row.target;
            allMet = allMet && met;
            verdict = QStringLiteral("<= %1%2 %3")
                          .arg(row.target)
                          .arg(row.baseline > 0 ? QString() : QStringLiteral(" ") + row.unit)
                          .arg(met ? QStringLiteral("met") : QStringLiteral("MISSED"));
        }
        std::printf("%-44s %10.1f %-5s %-15s %10.1f %7.3f  %s\n", qPrintable(row.name), row.value,
                    qPrintable(row.unit), qPrintable(row.baselineName), row.baseline, ratio, qPrintable(verdict));
    }
    return check && !allMet ? 1 : 0;
}
