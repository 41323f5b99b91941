#pragma once

#include "navigation/AppEnvironment.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <memory>

class DiskFullReports;
class MainWindow;
class MainWindowModel;
class MenuBarItem;
class QMessageBox;
class QWidget;
class ScreenRegistry;

// The application's scenes: the main window and the menu bar item, and what
// ties them together (opening, closing, quitting, handing URLs on).
class AppShell : public QObject
{
    Q_OBJECT
public:
    AppShell(const AppEnvironment &environment, ScreenRegistry registry, QObject *parent = nullptr);
    ~AppShell() override;

    // Shows the tray icon when there is a tray. Each close of the window
    // asks whether a tray is there then: without one, closing quits, since
    // nothing else could bring the window back; the first such close ever
    // says so in the window and waits for the user's answer.
    void start();

    MainWindow &window() const { return *m_window; }
    MainWindowModel &model() const { return *m_model; }
    MenuBarItem &menuBarItem() const { return *m_menuBarItem; }

public Q_SLOTS:
    void showMainWindow();
    // Another launch (or our own command line) asked to be shown, with
    // these URLs; shows the window and passes the URLs on.
    void handleActivation(const QList<QUrl> &urls);

Q_SIGNALS:
    // URLs opened with the application (the sign-in callback among them),
    // for the account layer to route.
    void urlsOpened(const QList<QUrl> &urls);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool allowClose();
    bool trayIsThere();
    // Says in the window what a full disk kept from being saved: each kind
    // once, in one alert while it is open.
    void tellDiskFull();

    UserDefaultsProviding &m_settings;
    std::unique_ptr<MainWindowModel> m_model;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<MenuBarItem> m_menuBarItem;
    QPointer<QWidget> m_noTrayNotice;
    DiskFullReports *m_diskFull = nullptr;
    QPointer<QMessageBox> m_diskFullNotice;
    qsizetype m_diskFullTold = 0;
    bool m_quitting = false;
};
