#pragma once

#include <QWidget>

namespace talvoro::settings {

// The 1 px line between two rows of a card: the primary colour at 4 %,
// across the card's full width.
class SettingsSeparator : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsSeparator(QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace talvoro::settings
