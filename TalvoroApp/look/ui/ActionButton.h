#pragma once

#include <QAbstractButton>
#include <QColor>

class QLabel;
class UserDefaultsProviding;

namespace talvoro::ui {

class Spinner;
class SymbolLabel;

// A push button in one of the platform's button styles, large control size:
// `prominent` filled with a tint (content white or dark, whichever reads on
// it), `bordered` on a faint fill, `borderless` text only in the secondary
// style. Space, Return and Enter press it; keyboard focus shows as a ring. The label is a text with an
// optional leading symbol; while busy it is a small spinner and the busy text.
class ActionButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum class Style { prominent, bordered, borderless };

    ActionButton(const QString &text, Style style, QWidget *parent = nullptr);

    Style buttonStyle() const { return m_style; }
    // Use this rather than setText, which does not relabel the button.
    void setCaption(const QString &text);
    void setSymbol(const QString &symbol);
    // Tints a prominent button with the user's accent colour, kept current.
    void bindAccent(UserDefaultsProviding &defaults);
    // Tints a prominent button with a fixed colour (a destructive red).
    void setTint(const QColor &color);
    // The label takes this width, content centred (a label framed to a
    // maximum width fills it); the button adds its own padding around it.
    void setLabelWidth(int width);
    // Extra vertical padding inside the button around the label.
    void setLabelVerticalPadding(int padding);

    void setBusy(bool busy, const QString &busyText = {});
    bool isBusy() const { return m_busy; }
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateContent();
    void updateColors();
    QColor prominentFill(bool dark) const;

    Style m_style;
    QColor m_tint; // invalid: the default accent colour
    bool m_busy = false;
    QString m_busyText;
    SymbolLabel *m_symbol;
    Spinner *m_spinner;
    QLabel *m_label;
    QWidget *m_content;
};

} // namespace talvoro::ui
