// The history screen at scale, on the user's path, each figure against a
// baseline measured in the same run:
//   opening "Histórico" (each open in a process of its own): until the first
//   frame with rows, against the same open with 1,000 records; then until
//   everything is read, and resident memory at both points;
//   typing "reunião" into the history's search field one character at a time
//   and taking it back with Backspace (the screen itself, HistoryView): each
//   key until a frame with rows, against a memmem scan over pre-folded UTF-8
//   copies of the same texts; the same while the history is still loading;
//   a first pull of every record (the synchroniser's batches written on the
//   store's writer thread) with home and with the history open, and a pull
//   of 1,000 records spread over the open history: the longest turn of the
//   window's thread;
//   a dictation committed while the history is open, until it is painted.
// Usage: talvoro-history-bench [--rows N] [--repeats R] [--check]
// --check exits with 1 when a target is missed.

#include "bench/StallMonitor.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "screens/home-history-stats/HistoryListModel.h"
#include "screens/home-history-stats/HistorySearch.h"
#include "navigation/AppEnvironment.h"
#include "platform/SettingsStore.h"
#include "screens/home-history-stats/ui/HistoryView.h"
#include "screens/home-history-stats/ui/HomeView.h"
#include "account/PullStream.h"
#include "account/SyncMerge.h"
#include "transcription/StoreQueries.h"

#include <QApplication>
#include <QCoroTask>
#include <QCoroTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QProcess>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

#include <unistd.h>
#include <vector>

using namespace talvoro::history;

namespace {

std::vector<TranscriptionRecord> makeRecords(int count)
{
    static const char *const words[] = {
        "então", "amanhã", "reunião", "cliente", "projeto", "precisamos", "revisar", "o", "a", "de", "para",
        "com", "que", "não", "relatório", "enviar", "equipe", "próxima", "semana", "orçamento", "aprovação",
        "implantação", "servidor", "banco", "dados", "obrigado", "por", "favor", "confirmar", "horário",
        "depois", "almoço", "ligação", "também", "importante", "prazo", "entrega", "versão", "teste", "É"};
    std::mt19937 random(7);
    std::uniform_int_distribution<int> wordCount(20, 200);
    std::uniform_int_distribution<int> wordIndex(0, int(std::size(words)) - 1);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    std::vector<TranscriptionRecord> records;
    records.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const int n = wordCount(random);
        QString text;
        for (int w = 0; w < n; ++w) {
            if (w)
                text += QLatin1Char(' ');
            text += QString::fromUtf8(words[wordIndex(random)]);
        }
        // Newest first, a few dozen a day.
        records.emplace_back(text, n, n / 2.5, QStringLiteral("pt"),
                             QDateTime::fromMSecsSinceEpoch(now - qint64(i) * 40 * 60 * 1000, Qt::UTC));
    }
    return records;
}

template<class F>
double medianMs(int repeats, F &&body)
{
    std::vector<double> samples;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        body();
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// The history screen over a store of `records`, shown and settled.
class OpenHistory
{
public:
    explicit OpenHistory(const std::vector<TranscriptionRecord> &records, bool settle = true)
        : m_settings(m_dir.filePath(QStringLiteral("settings.ini")))
        , m_container(m_dir.filePath(QStringLiteral("bench.store")))
    {
        (void)m_container.mainContext().upsertAll(records);
        m_environment.settings = &m_settings;
        m_environment.models = &m_container;
        m_view = std::make_unique<HistoryView>(m_environment, nullptr);
        m_view->resize(900, 700);
        m_view->show();
        while (settle && m_view->isReadingPages())
            QCoreApplication::processEvents();
        paint();
    }
    AppModelContainer &container() { return m_container; }
    void close() { m_view.reset(); }
    QLineEdit &searchField() { return *m_view->findChild<QLineEdit *>(QStringLiteral("searchField")); }
    bool showsRows() const { return m_view && m_view->listModel()->rowCount() > 0; }
    bool isReading() const { return m_view && m_view->isReadingPages(); }
    // Whatever the event loop has to do, then the list drawn.
    void paint()
    {
        QCoreApplication::processEvents();
        if (m_view)
            m_view->listView()->viewport()->repaint();
    }

private:
    QTemporaryDir m_dir;
    SettingsStore m_settings;
    AppModelContainer m_container;
    AppEnvironment m_environment;
    std::unique_ptr<HistoryView> m_view;
};

// Resident memory of this process, in MiB.
double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? double(fields[1].toLongLong()) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

struct OpenFigures
{
    double firstRowsMs = 0; // opening until the first frame with rows
    double loadedMs = 0;    // until every key is read and laid out
    double longestTurnMs = 0;
    double firstPaintMiB = 0;
    double loadedMiB = 0;
};

// The user opens "Histórico" (in a process of its own, so that nothing of
// the bench's own rows is in its memory): from building the screen until a
// frame with rows is painted, then until the whole history is read (the
// longest turn of the window's thread on the way), and resident memory at
// the first frame and once everything is read and drawn.
OpenFigures openHistory(const QString &storePath)
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    OpenFigures figures;
    AppModelContainer container(storePath);
    AppEnvironment environment;
    environment.settings = &settings;
    environment.models = &container;
    QElapsedTimer timer;
    timer.start();
    HistoryView view(environment, nullptr);
    view.resize(900, 700);
    view.show();
    QCoreApplication::processEvents();
    view.listView()->viewport()->repaint();
    figures.firstRowsMs = double(timer.nsecsElapsed()) / 1e6;
    if (view.listModel()->rowCount() == 0)
        std::fprintf(stderr, "warning: the first frame had no rows\n");
    figures.firstPaintMiB = residentMiB();
    while (view.isReadingPages()) {
        QElapsedTimer turn;
        turn.start();
        QCoreApplication::processEvents();
        view.listView()->viewport()->repaint();
        figures.longestTurnMs = std::max(figures.longestTurnMs, double(turn.nsecsElapsed()) / 1e6);
    }
    figures.loadedMs = double(timer.nsecsElapsed()) / 1e6;
    // Scrolled to the end and back: the whole list is laid out and both ends drawn.
    view.listView()->scrollToBottom();
    view.listView()->viewport()->repaint();
    view.listView()->scrollToTop();
    view.listView()->viewport()->repaint();
    QCoreApplication::processEvents();
    figures.loadedMiB = residentMiB();
    return figures;
}

// Runs the open `repeats` times, each in a fresh process; medians.
OpenFigures openInProcesses(const QString &storePath, int repeats)
{
    std::vector<OpenFigures> runs;
    for (int i = 0; i < repeats; ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open"), storePath});
        child.waitForFinished(600'000);
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 5)
            continue;
        runs.push_back({fields[0].toDouble(), fields[1].toDouble(), fields[2].toDouble(), fields[3].toDouble(),
                        fields[4].toDouble()});
    }
    const auto median = [&runs](double OpenFigures::*field) {
        std::vector<double> values;
        for (const OpenFigures &run : runs)
            values.push_back(run.*field);
        std::sort(values.begin(), values.end());
        return values.empty() ? 0.0 : values[values.size() / 2];
    };
    return {median(&OpenFigures::firstRowsMs), median(&OpenFigures::loadedMs), median(&OpenFigures::longestTurnMs),
            median(&OpenFigures::firstPaintMiB), median(&OpenFigures::loadedMiB)};
}

QString writeStore(const QTemporaryDir &dir, const std::vector<TranscriptionRecord> &records)
{
    const QString path = dir.filePath(QStringLiteral("open-%1.store").arg(records.size()));
    AppModelContainer seed(path);
    (void)seed.makeContext()->upsertAll(records);
    return path;
}

const QString kTyped = QStringLiteral("reunião");

struct TypingFigures
{
    double meanMs = 0;      // per keystroke, median over the runs
    double longestMs = 0;   // the slowest keystroke's median
    double backspaceMs = 0; // per backspace, median over the runs
    double longestBackspaceMs = 0;
    double memmemMs = 0;    // per keystroke, median over the runs
    int framesWithoutRows = 0;
};

double medianOfSamples(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

// Each run types kTyped one key at a time into the search field, then takes
// it back with Backspace one key at a time: each key until a frame with rows
// is painted. `whileLoading`: each run opens the history afresh and types at
// once, while its keys are still being read.
TypingFigures typing(const std::vector<TranscriptionRecord> &records, int repeats, bool whileLoading = false)
{
    std::unique_ptr<OpenHistory> history;
    std::vector<std::vector<double>> perKey(size_t(kTyped.size()));
    std::vector<std::vector<double>> perBackspace(size_t(kTyped.size()));
    TypingFigures figures;
    for (int run = 0; run < repeats; ++run) {
        if (!history || whileLoading)
            history = std::make_unique<OpenHistory>(records, !whileLoading);
        QLineEdit &field = history->searchField();
        const auto timeKey = [&](std::vector<double> &samples, const auto &press) {
            QElapsedTimer timer;
            timer.start();
            press();
            history->paint();
            samples.push_back(double(timer.nsecsElapsed()) / 1e6);
            figures.framesWithoutRows += !history->showsRows();
        };
        for (qsizetype key = 0; key < kTyped.size(); ++key)
            timeKey(perKey[size_t(key)], [&] { field.insert(kTyped.mid(key, 1)); });
        for (qsizetype key = 0; key < kTyped.size(); ++key)
            timeKey(perBackspace[size_t(key)], [&] { field.backspace(); });
    }
    std::vector<QByteArray> folded;
    folded.reserve(records.size());
    for (const TranscriptionRecord &record : records)
        folded.push_back(foldForSearch(record.text));
    volatile size_t sink = 0;
    for (qsizetype key = 0; key < kTyped.size(); ++key) {
        const double ms = medianOfSamples(perKey[size_t(key)]);
        figures.meanMs += ms / double(kTyped.size());
        figures.longestMs = std::max(figures.longestMs, ms);
        const double back = medianOfSamples(perBackspace[size_t(key)]);
        figures.backspaceMs += back / double(kTyped.size());
        figures.longestBackspaceMs = std::max(figures.longestBackspaceMs, back);
        const QByteArray needle = foldForSearch(kTyped.left(key + 1));
        figures.memmemMs += medianMs(repeats, [&] {
            size_t matches = 0;
            for (const QByteArray &text : folded)
                matches += memmem(text.constData(), size_t(text.size()), needle.constData(), size_t(needle.size()))
                    != nullptr;
            sink = sink + matches;
        }) / double(kTyped.size());
    }
    return figures;
}


// A pull's writes as the synchroniser makes them (batches of 250, one per
// turn, each written by SyncMerge::applyTranscriptions on the store's writer
// thread), into an empty store or one of `existing` rows, with the history
// or home open (or nothing): the longest turn of the window's thread through
// the whole pull, and its length. The network and the reply's decoding are
// talvoro-bench's first-pull row.
struct PullFigures
{
    double longestTurnMs = 0;
    double seconds = 0;
};
enum class Screen { none, history, home };
PullFigures pullWithScreen(const std::vector<TranscriptionRecord> &existing,
                           const std::vector<TranscriptionRecord> &pulled, Screen screen)
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    AppModelContainer container(dir.filePath(QStringLiteral("bench.store")));
    if (!existing.empty())
        (void)container.makeContext()->upsertAll(existing);
    AppEnvironment environment;
    environment.settings = &settings;
    environment.models = &container;
    std::unique_ptr<QWidget> view;
    if (screen == Screen::history)
        view = std::make_unique<HistoryView>(environment, nullptr);
    else if (screen == Screen::home)
        view = std::make_unique<talvoro::home::HomeView>(environment, nullptr);
    if (view) {
        view->resize(900, 700);
        view->show();
        auto *history = qobject_cast<HistoryView *>(view.get());
        while (history && history->isReadingPages())
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    QList<QList<SyncTranscriptionPayload>> batches;
    for (size_t i = 0; i < pulled.size(); ++i) {
        if (i % PullStream::kBatchRows == 0)
            batches.append(QList<SyncTranscriptionPayload>());
        batches.last().append(SyncMerge::payloadFromTranscription(pulled[i]));
    }
    PullFigures figures;
    QElapsedTimer total;
    total.start();
    {
        StallMonitor turns;
        QEventLoop loop;
        auto pull = [&]() -> QCoro::Task<> {
            for (const QList<SyncTranscriptionPayload> &batch : batches) {
                co_await QCoro::sleepFor(std::chrono::milliseconds(0));
                auto writing = SyncMerge::applyTranscriptions(container, batch, {});
                (void)co_await std::move(writing);
            }
            // What the last commit brought, drawn.
            co_await QCoro::sleepFor(std::chrono::milliseconds(0));
            loop.quit();
        };
        auto task = pull();
        loop.exec();
        figures.longestTurnMs = turns.longestMs();
    }
    figures.seconds = double(total.nsecsElapsed()) / 1e9;
    return figures;
}

// From a committed dictation to the list drawn again.
double dictationWhileOpen(const std::vector<TranscriptionRecord> &records, int repeats)
{
    OpenHistory history(records);
    ModelContext &context = history.container().mainContext();
    return medianMs(repeats, [&] {
        context.insert(TranscriptionRecord(QStringLiteral("nova reunião com o cliente"), 5, 2.0, QStringLiteral("pt")));
        (void)context.save();
        history.paint();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (app.arguments().size() == 3 && app.arguments()[1] == QStringLiteral("--open")) {
        const OpenFigures figures = openHistory(app.arguments()[2]);
        std::printf("%.3f %.3f %.3f %.2f %.2f\n", figures.firstRowsMs, figures.loadedMs, figures.longestTurnMs,
                    figures.firstPaintMiB, figures.loadedMiB);
        return 0;
    }
    int rows = 100'000;
    int repeats = 7;
    bool check = false;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--rows") && i + 1 < args.size())
            rows = args[++i].toInt();
        else if (args[i] == QStringLiteral("--repeats") && i + 1 < args.size())
            repeats = args[++i].toInt();
        else if (args[i] == QStringLiteral("--check"))
            check = true;
    }
    repeats = std::max(repeats, 1);
    bool missed = false;

    const std::vector<TranscriptionRecord> records = makeRecords(rows);
    {
        QTemporaryDir stores;
        const OpenFigures small = openInProcesses(
            writeStore(stores, std::vector<TranscriptionRecord>(records.begin(), records.begin() + std::min(rows, 1000))),
            repeats);
        const OpenFigures large = openInProcesses(writeStore(stores, records), repeats);
        std::printf("open history, %d records: first frame with rows %.2f ms (1,000 records: %.2f ms, ratio %.2f, target <= 1.50); "
                    "all read in %.2f ms, longest turn %.2f ms; memory %.1f MiB at first paint, %.1f MiB loaded (ratio %.2f, target <= 1.50)\n",
                    rows, large.firstRowsMs, small.firstRowsMs, large.firstRowsMs / small.firstRowsMs, large.loadedMs,
                    large.longestTurnMs, large.firstPaintMiB, large.loadedMiB, large.loadedMiB / large.firstPaintMiB);
        std::fflush(stdout);
    }
    // The user types "reunião" into the history's search field and takes it
    // back with Backspace: each key until a frame with rows.
    const TypingFigures large = typing(records, repeats);
    const double frameMs = 1000.0 / 60;
    std::printf("history search, %d records: key to a frame with rows %.2f ms (slowest %.2f ms), backspace %.2f ms "
                "(slowest %.2f ms), memmem over folded texts %.2f ms: ratios %.2f and %.2f (target <= 0.60); "
                "frames without rows: %d\n",
                rows, large.meanMs, large.longestMs, large.backspaceMs, large.longestBackspaceMs, large.memmemMs,
                large.meanMs / large.memmemMs, large.backspaceMs / large.memmemMs, large.framesWithoutRows);
    missed |= large.meanMs > 0.6 * large.memmemMs || large.backspaceMs > 0.6 * large.memmemMs
        || large.framesWithoutRows > 0;
    std::fflush(stdout);

    // The same while the history is still being read (typed right after opening it).
    const TypingFigures loading = typing(records, repeats, true);
    std::printf("history search while it loads, %d records: key to a frame with rows %.2f ms (slowest %.2f ms), "
                "backspace %.2f ms, ratios %.2f and %.2f (target <= 0.60); frames without rows: %d\n",
                rows, loading.meanMs, loading.longestMs, loading.backspaceMs, loading.meanMs / large.memmemMs,
                loading.backspaceMs / large.memmemMs, loading.framesWithoutRows);
    missed |= loading.meanMs > 0.6 * large.memmemMs || loading.framesWithoutRows > 0;
    std::fflush(stdout);

    // A new machine's first pull of the whole history, with the window on
    // home and with the history open: the longest turn of the window's
    // thread through all of it, and against raw writes of the same rows.
    for (const Screen screen : {Screen::home, Screen::history}) {
        const PullFigures first = pullWithScreen({}, records, screen);
        std::printf("first pull of %d records with %s open: longest turn %.2f ms (target <= 50), %.2f s\n", rows,
                    screen == Screen::home ? "home" : "the history", first.longestTurnMs, first.seconds);
        missed |= first.longestTurnMs > 50;
        std::fflush(stdout);
    }

    // A pull of 1,000 records spread over the open history (the real write
    // path: batches on the writer thread): the longest turn.
    {
        std::mt19937 random(11);
        const qint64 newest = records.empty() ? QDateTime::currentMSecsSinceEpoch()
                                              : records.front().createdAt.toMSecsSinceEpoch();
        const qint64 span = records.empty() ? 1 : newest - records.back().createdAt.toMSecsSinceEpoch() + 1;
        std::uniform_int_distribution<qint64> at(0, span - 1);
        std::vector<TranscriptionRecord> pulled;
        for (int i = 0; i < 1000; ++i)
            pulled.emplace_back(QStringLiteral("registro puxado de outro aparelho %1").arg(i), 6, 3.0,
                                QStringLiteral("pt"), QDateTime::fromMSecsSinceEpoch(newest - at(random), Qt::UTC));
        const PullFigures spread = pullWithScreen(records, pulled, Screen::history);
        std::printf("pull of 1,000 records with the history open, %d records: longest turn %.2f ms (target <= 50)\n",
                    rows, spread.longestTurnMs);
        missed |= spread.longestTurnMs > 50;
        std::fflush(stdout);
    }

    const double drawn = dictationWhileOpen(records, repeats);
    std::printf("dictation to painted history, %d records: %.2f ms (ratio to a 60 Hz frame %.2f)\n", rows, drawn,
                drawn / frameMs);

    std::fflush(stdout);
    return check && missed ? 1 : 0;
}
