#pragma once

#include "navigation/Navigation.h"

#include <QWidget>

#include <map>

class MainWindowModel;
class QAbstractButton;
class UserDefaultsProviding;

// The window's sidebar: the four items with their symbols, the selected one
// on the accent colour (following `keyboardAccentColor` and the appearance).
class SidebarView : public QWidget
{
    Q_OBJECT
public:
    // settings may be null: the default accent colour is used.
    SidebarView(MainWindowModel &model, UserDefaultsProviding *settings, QWidget *parent = nullptr);

    QAbstractButton *button(SidebarItem item) const { return m_buttons.at(item); }
    static QString symbolName(SidebarItem item);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showSelection();
    void restyle(const QColor &accent);

    MainWindowModel &m_model;
    std::map<SidebarItem, QAbstractButton *> m_buttons;
    QColor m_selection; // the selected item's fill
};
