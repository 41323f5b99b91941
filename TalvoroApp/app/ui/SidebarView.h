#pragma once

#include "app/Navigation.h"

#include <QWidget>

#include <map>

class MainWindowModel;
class QAbstractButton;

// The window's sidebar: the four items, the selected one highlighted.
class SidebarView : public QWidget
{
    Q_OBJECT
public:
    explicit SidebarView(MainWindowModel &model, QWidget *parent = nullptr);

    QAbstractButton *button(SidebarItem item) const { return m_buttons.at(item); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showSelection();

    MainWindowModel &m_model;
    std::map<SidebarItem, QAbstractButton *> m_buttons;
};
