#include "screens/home-history-stats/HistorySearch.h"


namespace talvoro::history {

bool matchesSearch(const QString &text, const QString &searchText)
{
    if (searchText.isEmpty())
        return true;
    const QByteArray folded = foldForSearch(text);
    const QByteArray query = foldForSearch(searchText);
    return containsFolded({folded.constData(), size_t(folded.size())}, {query.constData(), size_t(query.size())});
}

std::vector<TranscriptionRecord> filterRecords(const std::vector<TranscriptionRecord> &records,
                                               const QString &searchText)
{
    if (searchText.isEmpty())
        return records;
    const QByteArray query = foldForSearch(searchText);
    const std::string_view needle(query.constData(), size_t(query.size()));
    std::vector<TranscriptionRecord> matches;
    for (const TranscriptionRecord &record : records) {
        const QByteArray folded = foldForSearch(record.text);
        if (containsFolded({folded.constData(), size_t(folded.size())}, needle))
            matches.push_back(record);
    }
    return matches;
}

} // namespace talvoro::history
