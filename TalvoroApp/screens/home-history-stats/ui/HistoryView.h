#pragma once

#include "navigation/AppEnvironment.h"
#include "navigation/Navigation.h"
#include "screens/home-history-stats/HistoryActions.h"
#include "transcription/StoreQueries.h"

#include <QWidget>

#include <functional>

class HistoryListModel;
class QLineEdit;
class QListView;
class QStackedWidget;
class QTimer;

namespace talvoro::ui {
class StyledLabel;
}
namespace talvoro::settings {
class MinuteTicker;
}
namespace talvoro::history {
class HistoryRowDelegate;
}

// The history screen (sidebar item `history`): the branded header, the
// search field and the transcriptions in day sections, newest first, or the
// empty state naming the dictation hotkey. A row opens the record's detail;
// its context menu copies the text or deletes the record here and on the
// account.
class HistoryView : public QWidget
{
    Q_OBJECT
public:
    using Navigate = std::function<void(const NavigationDestination &)>;

    HistoryView(const AppEnvironment &environment, Navigate navigate, QWidget *parent = nullptr);
    ~HistoryView() override;

    HistoryListModel *listModel() const { return m_model; }
    QListView *listView() const { return m_list; }
    // Older records (or a search's matches) are still being read, a page per event-loop turn.
    bool isReadingPages() const;

    // The context menu's actions on a record line.
    void copyText(int row) const;
    void deleteRecord(int row);
    void openRecord(int row);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildSearchBar();
    QWidget *buildEmptyState();
    void refreshContent();
    void refreshEmptyText();
    void showContextMenu(int row, const QPoint &globalPosition);

    const AppEnvironment &m_environment;
    Navigate m_navigate;
    HistoryListModel *m_model = nullptr;
    talvoro::history::HistoryRowDelegate *m_delegate = nullptr;
    talvoro::settings::MinuteTicker *m_ticker = nullptr;
    QLineEdit *m_search = nullptr;
    QStackedWidget *m_content = nullptr;
    QListView *m_list = nullptr;
    talvoro::ui::StyledLabel *m_emptyText = nullptr;
};
