#pragma once

#include "navigation/AppEnvironment.h"
#include "navigation/MainWindowModel.h"
#include "app/ui/ScreenRegistry.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class NavigationStackView;
class SheetHost;
class SidebarView;

// The main interface: sidebar, detail navigation stack and the sheet host.
class MainInterfaceView : public QWidget
{
    Q_OBJECT
public:
    MainInterfaceView(const ScreenRegistry &registry, const ScreenContext &context,
                      QWidget *parent = nullptr);

    SidebarView *sidebar() const { return m_sidebar; }
    NavigationStackView *detail() const { return m_detail; }
    SheetHost *sheetHost() const { return m_sheetHost; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    SidebarView *m_sidebar = nullptr;
    NavigationStackView *m_detail = nullptr;
    SheetHost *m_sheetHost = nullptr;
};

// The window "main": shows what the gate decides (the wizard, the sign-in
// view or the main interface) and cross-fades between them. Closing it only
// hides it; whether the application goes on is the application's decision.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    MainWindow(const AppEnvironment &environment, MainWindowModel &model,
               ScreenRegistry registry, QWidget *parent = nullptr);

    MainWindowModel &model() const { return m_model; }
    QWidget *currentPage() const { return m_page; }
    // Null unless the gate shows the main interface.
    MainInterfaceView *mainInterface() const;
    // Asked as the window is about to close; false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }

Q_SIGNALS:
    void closed();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void showGatePage(GatePage page, MainWindowModel::Animation animation);

    AppEnvironment m_environment;
    MainWindowModel &m_model;
    ScreenRegistry m_registry;
    ScreenContext m_context;
    QWidget *m_page = nullptr;
    std::function<bool()> m_closeGuard;
};
