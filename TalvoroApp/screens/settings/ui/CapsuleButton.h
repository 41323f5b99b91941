#pragma once

#include "platform/UserDefaultsProviding.h"

#include <QAbstractButton>
#include <QColor>

#include <functional>

namespace talvoro::settings {

class CopyConfirmation;

// An action in the accent colour: symbol and label in the helper font,
// semibold, padded 14 across and 8 down, on the accent colour at 8 % in a
// capsule.
class CapsuleButton : public QAbstractButton
{
    Q_OBJECT
public:
    CapsuleButton(const QString &symbol, const QString &title, UserDefaultsProviding &defaults,
                  QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);
    QColor accentColor() const { return m_accent; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    QColor m_accent;
};

// "Copiar": copies the text it is given as plain text and shows "Copiado!"
// with a checkmark for two seconds.
class CopyButton : public CapsuleButton
{
    Q_OBJECT
public:
    CopyButton(std::function<QString()> text, UserDefaultsProviding &defaults, QWidget *parent = nullptr);

    CopyConfirmation *confirmation() const { return m_confirmation; }

private:
    void showConfirmation(bool shown);

    std::function<QString()> m_text;
    CopyConfirmation *m_confirmation;
};

} // namespace talvoro::settings
