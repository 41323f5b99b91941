// Measures the history list at scale and prints each figure with its ratio:
//   one keystroke's filter plus day grouping against a naive case-insensitive
//   QString::contains scan and against memmem over pre-lower-cased UTF-8
//   copies of the same texts, in the same run; the same at 10,000 records
//   against one 60 Hz frame; and the time from a committed insert to a
//   redrawn list (model/view, no widget per record).
// Usage: talvoro-history-bench [--rows N] [--repeats R] [--check]
// --check exits with 1 when a target is missed.

#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "screens/home-history-stats/HistoryListIndex.h"
#include "screens/home-history-stats/HistoryListModel.h"
#include "screens/home-history-stats/HistorySearch.h"
#include "screens/home-history-stats/ui/HistoryRowDelegate.h"
#include "transcription/StoreQueries.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
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

struct KeystrokeFigures
{
    double ours = 0, naive = 0, bytes = 0;
    double indexing = 0; // when the list opens
    double folding = 0;  // every text folded once, in slices after opening
};

// One search text typed a character at a time: each prefix is a keystroke.
KeystrokeFigures keystrokes(const std::vector<TranscriptionRecord> &records, int repeats)
{
    HistoryListIndex index;
    QElapsedTimer indexing;
    indexing.start();
    index.assign(records);
    const double indexingMs = double(indexing.nsecsElapsed()) / 1e6;
    QElapsedTimer folding;
    folding.start();
    index.foldPending(index.size());
    const double foldingMs = double(folding.nsecsElapsed()) / 1e6;
    std::vector<QByteArray> lowered;
    lowered.reserve(records.size());
    for (const TranscriptionRecord &record : records)
        lowered.push_back(record.text.toLower().toUtf8());

    KeystrokeFigures sum;
    volatile size_t sink = 0;
    const QString typed = QStringLiteral("reuniÃo");
    for (qsizetype length = 1; length <= typed.size(); ++length) {
        const QString query = typed.left(length);
        const QByteArray folded = foldForSearch(query);
        const std::string_view needle(folded.constData(), size_t(folded.size()));
        sum.ours += medianMs(repeats, [&] { sink = sink + index.items(needle).size(); });
        sum.naive += medianMs(repeats, [&] {
            size_t matches = 0;
            for (const TranscriptionRecord &record : records)
                matches += record.text.contains(query, Qt::CaseInsensitive);
            sink = sink + matches;
        });
        sum.bytes += medianMs(repeats, [&] {
            size_t matches = 0;
            for (const QByteArray &text : lowered)
                matches += memmem(text.constData(), size_t(text.size()), needle.data(), needle.size()) != nullptr;
            sink = sink + matches;
        });
    }
    const double count = double(typed.size());
    return {sum.ours / count, sum.naive / count, sum.bytes / count, indexingMs, foldingMs};
}

// From a committed insert to the list drawn again.
double redraw(const std::vector<TranscriptionRecord> &records, int repeats)
{
    QTemporaryDir dir;
    AppModelContainer container(dir.filePath(QStringLiteral("bench.store")));
    ModelContext &context = container.mainContext();
    (void)context.upsertAll(records);
    (void)context.save();
    TranscriptionsQuery query(container, StoreQueries::transcriptionsNewestFirst());
    HistoryListModel model(query, [] { return QDateTime::currentDateTime(); });
    QListView list;
    HistoryRowDelegate delegate(model);
    delegate.setNow(QDateTime::currentDateTime());
    list.setUniformItemSizes(false);
    list.setLayoutMode(QListView::Batched);
    list.setBatchSize(200);
    list.setModel(&model);
    list.setItemDelegate(&delegate);
    list.resize(700, 900);
    list.show();
    while (model.isPreparingSearch())
        QCoreApplication::processEvents();
    return medianMs(repeats, [&] {
        context.insert(TranscriptionRecord(QStringLiteral("nova reunião com o cliente"), 5, 2.0, QStringLiteral("pt")));
        (void)context.save();
        QCoreApplication::processEvents();
        list.viewport()->repaint();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
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
    const KeystrokeFigures large = keystrokes(records, repeats);
    std::printf("history keystroke (%d records): filter+grouping %.2f ms, naive contains %.2f ms (ratio %.2f, "
                "target <= 0.50), memmem over lower-cased UTF-8 %.2f ms (ratio %.2f, target <= 1.50)\n",
                rows, large.ours, large.naive, large.ours / large.naive, large.bytes, large.ours / large.bytes);
    missed |= large.ours > 0.5 * large.naive || large.ours > 1.5 * large.bytes;
    std::printf("history index when the list opens (%d records): %.2f ms; search copies folded afterwards in "
                "slices: %.2f ms in all\n",
                rows, large.indexing, large.folding);

    const int smallRows = std::min(rows, 10'000);
    const std::vector<TranscriptionRecord> small(records.begin(), records.begin() + smallRows);
    const KeystrokeFigures frame = keystrokes(small, repeats);
    std::printf("history keystroke (%d records): %.2f ms (ratio to a 60 Hz frame %.2f, target <= 1.00)\n", smallRows,
                frame.ours, frame.ours / (1000.0 / 60));
    missed |= frame.ours > 1000.0 / 60;

    const double drawn = redraw(records, repeats);
    std::printf("history store change to redrawn list (%d records): %.2f ms (ratio to a 60 Hz frame %.2f)\n", rows,
                drawn, drawn / (1000.0 / 60));

    std::fflush(stdout);
    return check && missed ? 1 : 0;
}
