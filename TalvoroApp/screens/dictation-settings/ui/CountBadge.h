#pragma once

#include <QLabel>

class UserDefaultsProviding;

namespace talvoro::dictationsettings {

// The count of a link row ("3 regras"): helper font in the accent colour,
// padded 8 across and 3 down, on the accent colour at 8 % in a capsule.
class CountBadge : public QLabel
{
    Q_OBJECT
public:
    explicit CountBadge(UserDefaultsProviding &defaults, QWidget *parent = nullptr);

    QColor accentColor() const { return m_accent; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_accent;
};

// The trailing content of a link row: the badge, then the chevron.
QWidget *makeCountBadgeWithChevron(CountBadge *badge, QWidget *parent = nullptr);

} // namespace talvoro::dictationsettings
