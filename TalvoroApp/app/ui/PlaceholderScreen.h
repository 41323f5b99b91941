#pragma once

#include <QWidget>

// Stands in for a screen that is not built yet: its name, centred.
class PlaceholderScreen : public QWidget
{
    Q_OBJECT
public:
    enum class Style { page, sheet };

    explicit PlaceholderScreen(const QString &title, const QString &detail = {},
                               Style style = Style::page, QWidget *parent = nullptr);

    QString title() const { return m_title; }

private:
    QString m_title;
};
