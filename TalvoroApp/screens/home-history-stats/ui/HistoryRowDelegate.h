#pragma once

#include <QDateTime>
#include <QStyledItemDelegate>

class HistoryListModel;

namespace talvoro::history {

// Draws the history list's lines without a widget each: day headers
// (caption, upper-case, tertiary) and record cards (two serif lines, the
// age · words · duration line and the language chip). Every card reserves
// two text lines, so the list lays out any number of rows without measuring
// their texts.
class HistoryRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    HistoryRowDelegate(const HistoryListModel &model, QObject *parent = nullptr);

    // The reference time of the ages shown.
    void setNow(const QDateTime &now) { m_now = now; }
    QDateTime now() const { return m_now; }
    void setAccentColor(const QColor &color) { m_accent = color; }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static int headerHeight(bool firstSection);
    static int rowHeight();

private:
    void paintHeader(QPainter *painter, const QStyleOptionViewItem &option, int row) const;
    void paintRecord(QPainter *painter, const QStyleOptionViewItem &option, int row) const;

    const HistoryListModel &m_model;
    // Measured once: a list of any length asks for every line's height.
    const int m_rowHeight;
    const int m_headerHeights[2];
    QDateTime m_now;
    QColor m_accent;
};

} // namespace talvoro::history
