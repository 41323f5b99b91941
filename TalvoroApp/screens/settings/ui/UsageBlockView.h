#pragma once

#include "platform/SettingsStore.h"
#include "screens/settings/ui/SettingsCardView.h"

#include <QColor>

class QLabel;

namespace talvoro::ui {
class StyledLabel;
class SymbolLabel;
}

namespace talvoro::settings {

// One usage block on its own card: the accent symbol beside a semibold
// title, a bar 8 px high filled to the fraction, and the count text; at
// least 72 px high, padded 20 across and 12 down. An invalid bar colour
// draws the bar in the accent colour, so it recolours with the setting.
class UsageBlockView : public SettingsCardView
{
    Q_OBJECT
public:
    UsageBlockView(const QString &symbol, const QString &title, double fraction, const QColor &barColor,
                   const QString &countText, UserDefaultsProviding &defaults,
                   QWidget *parent = nullptr);

    void setSymbol(const QString &symbol);
    void setTitle(const QString &title);
    void setFraction(double fraction);
    void setBarColor(const QColor &barColor);
    void setCountText(const QString &countText);

    double fraction() const { return m_fraction; }
    // The colour the bar is drawn with now.
    QColor effectiveBarColor() const;
    ui::SymbolLabel *symbolView() const { return m_symbol; }
    QLabel *titleLabel() const;
    QLabel *countLabel() const;

private:
    friend class UsageBar;
    ui::SymbolLabel *m_symbol;
    ui::StyledLabel *m_title;
    ui::StyledLabel *m_count;
    QWidget *m_bar;
    double m_fraction = 0;
    QColor m_barColor;
};

} // namespace talvoro::settings
