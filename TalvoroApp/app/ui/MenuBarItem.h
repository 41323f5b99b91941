#pragma once

#include <QMenu>
#include <QObject>

class QAction;
class QSystemTrayIcon;

// The menu bar (system tray) item with its menu. Where the desktop has no
// tray, isVisible() stays false and the application keeps its window as the
// only way in.
class MenuBarItem : public QObject
{
    Q_OBJECT
public:
    explicit MenuBarItem(QObject *parent = nullptr);
    ~MenuBarItem() override;

    static bool isSystemTrayAvailable();
    // Shows the icon when a tray exists; returns whether it is shown.
    bool show();
    bool isVisible() const;

    QMenu *menu() { return &m_menu; }
    QAction *openAction() const { return m_open; }
    QAction *checkForUpdatesAction() const { return m_checkForUpdates; }
    QAction *quitAction() const { return m_quit; }

Q_SIGNALS:
    void openWindowRequested();
    void checkForUpdatesRequested();
    void quitRequested();

private:
    QMenu m_menu;
    QAction *m_open = nullptr;
    QAction *m_checkForUpdates = nullptr;
    QAction *m_quit = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
};
