#pragma once

#include "transcription/StoreQueries.h"

#include <QDateTime>
#include <QHash>
#include <QUuid>
#include <QWidget>

#include <functional>

class QVBoxLayout;
class UserDefaultsProviding;

namespace talvoro::settings {
class MinuteTicker;
}

namespace talvoro::home {

class TranscriptionRowView;

// The three newest transcriptions, each with its age, word count and
// duration and a button that copies its text; before the first dictation an
// empty state. Follows the query; the ages follow a minute ticker.
class RecentTranscriptionsCard : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRecentCount = 3;

    RecentTranscriptionsCard(const TranscriptionsQuery &query, UserDefaultsProviding &defaults,
                             std::function<QDateTime()> clock, QWidget *parent = nullptr);
    ~RecentTranscriptionsCard() override;

private:
    void refresh();

    const TranscriptionsQuery &m_query;
    UserDefaultsProviding &m_defaults;
    settings::MinuteTicker *m_ticker;
    QWidget *m_empty;
    QVBoxLayout *m_rowsLayout;
    // By record id, so that a row keeps its copy confirmation across commits.
    QHash<QUuid, TranscriptionRowView *> m_rows;
};

} // namespace talvoro::home
