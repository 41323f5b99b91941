#pragma once

#include <QLabel>

namespace talvoro::ui {

// A label in one of the foreground styles (primary, secondary, tertiary,
// quaternary, or the destructive role's red), recoloured when the
// appearance changes.
class StyledLabel : public QLabel
{
    Q_OBJECT
public:
    enum class Style { primary, secondary, tertiary, quaternary, destructive };

    explicit StyledLabel(const QString &text = {}, Style style = Style::primary, QWidget *parent = nullptr);

    Style foregroundStyle() const { return m_style; }
    void setForegroundStyle(Style style);
    // Letter spacing in pixels (tracking).
    void setTracking(qreal pixels);

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyStyle();

    Style m_style;
    bool m_applying = false;
};

} // namespace talvoro::ui
