#pragma once

#include <QWidget>

class QHBoxLayout;
class UserDefaultsProviding;

namespace talvoro::home {

// The week's dictations, words and (from one day on) current streak, from
// the figures the last pull stored. The whole card is one link: a click, or
// Return or Space when focused, emits activated().
class StatsQuickCard : public QWidget
{
    Q_OBJECT
public:
    explicit StatsQuickCard(UserDefaultsProviding &defaults, QWidget *parent = nullptr);

Q_SIGNALS:
    void activated();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void refresh();

    UserDefaultsProviding &m_defaults;
    QWidget *m_row;
    QHBoxLayout *m_columns;
};

} // namespace talvoro::home
