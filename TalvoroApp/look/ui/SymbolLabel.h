#pragma once

#include <QColor>
#include <QWidget>

class UserDefaultsProviding;

namespace talvoro::ui {

// One symbol drawn in a colour. With no colour set it uses the palette's
// text colour; bindAccent() makes it follow the user's accent colour.
class SymbolLabel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString symbol READ symbol WRITE setSymbol)
    Q_PROPERTY(QColor color READ color WRITE setColor)
public:
    explicit SymbolLabel(const QString &symbol = {}, int pixelSize = 16, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);

    // Foreground styles that follow the appearance; an explicit colour
    // (setColor, or the accent through bindAccent) takes precedence.
    enum class Tint { text, secondary, tertiary, quaternary };
    void setTint(Tint tint);

    // The colour it draws with now.
    QColor color() const;
    void setColor(const QColor &color);
    void bindAccent(UserDefaultsProviding &defaults);

    int pixelSize() const { return m_pixelSize; }
    void setPixelSize(int pixelSize);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    QColor m_color;
    Tint m_tint = Tint::text;
    int m_pixelSize;
};

} // namespace talvoro::ui
