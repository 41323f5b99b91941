#include "app/ui/AppShell.h"

#include "account/AuthManager.h"
#include "platform/AppUpdater.h"
#include "platform/DiskSpace.h"
#include "navigation/MainWindowModel.h"
#include "platform/ShellLogging.h"
#include "app/ui/MainWindow.h"
#include "app/ui/MenuBarItem.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/settings/ui/Alerts.h"
#include "texts/Localization.h"

#include <QAction>
#include <QApplication>

AppShell::AppShell(const AppEnvironment &environment, ScreenRegistry registry, QObject *parent)
    : QObject(parent)
    , m_settings(*environment.settings)
{
    m_model = std::make_unique<MainWindowModel>(*environment.settings, environment.auth);
    m_window = std::make_unique<MainWindow>(environment, *m_model, std::move(registry));
    m_menuBarItem = std::make_unique<MenuBarItem>();
    connect(m_menuBarItem.get(), &MenuBarItem::openWindowRequested, this, &AppShell::showMainWindow);
    if (AppUpdater *updater = environment.updater) {
        // Without an update feed (always, on Linux for now) the item stays disabled.
        QAction *check = m_menuBarItem->checkForUpdatesAction();
        check->setEnabled(updater->isConfigured());
        connect(updater, &AppUpdater::isConfiguredChanged, check,
                [check, updater] { check->setEnabled(updater->isConfigured()); });
        connect(m_menuBarItem.get(), &MenuBarItem::checkForUpdatesRequested, updater,
                &AppUpdater::checkForUpdates);
    }
    connect(m_menuBarItem.get(), &MenuBarItem::quitRequested, qApp, &QCoreApplication::quit,
            Qt::QueuedConnection);
    if ((m_diskFull = environment.diskFull)) {
        // Queued: a report may come from inside a failing write.
        connect(m_diskFull, &DiskFullReports::reportedFirstTime, this, &AppShell::tellDiskFull,
                Qt::QueuedConnection);
        if (!m_diskFull->reported().isEmpty())
            QMetaObject::invokeMethod(this, &AppShell::tellDiskFull, Qt::QueuedConnection);
    }
    // The menu shows Ctrl+Q; a shortcut of a menu's action only works while
    // that menu is open, so the window carries the same action.
    m_window->addAction(m_menuBarItem->quitAction());
}

AppShell::~AppShell() = default;

void AppShell::start()
{
    // Decided again at each close of the window: a tray that went away
    // since (its process ended) would leave a hidden window that nothing
    // could bring back.
    QApplication::setQuitOnLastWindowClosed(!m_menuBarItem->show());
    m_window->setCloseGuard([this] { return allowClose(); });
    // Quitting closes every window first, and a refused close would stop it.
    qApp->installEventFilter(this);
}

bool AppShell::trayIsThere()
{
    // The icon stays "visible" to Qt after its tray went away. A tray that
    // came after the start gets the icon now.
    if (!MenuBarItem::isSystemTrayAvailable())
        return false;
    return m_menuBarItem->isVisible() || m_menuBarItem->show();
}

bool AppShell::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::Quit)
        m_quitting = true;
    return QObject::eventFilter(watched, event);
}

bool AppShell::allowClose()
{
    if (m_quitting)
        return true;
    const bool tray = trayIsThere();
    // Qt quits once the window has closed when it was the last one.
    QApplication::setQuitOnLastWindowClosed(!tray);
    if (tray)
        return true;
    qCInfo(lcMenuBar) << "No system tray: closing the window quits Talvoro";
    if (m_settings.value(SettingsKeys::noTrayCloseNoticeShown))
        return true;
    if (!m_noTrayNotice) {
        m_settings.set(SettingsKeys::noTrayCloseNoticeShown, true);
        m_noTrayNotice = talvoro::settings::openAlert(
            m_window.get(), talvoro::localized("Fechar a janela encerra o Talvoro"),
            talvoro::localized("Esta área de trabalho não tem bandeja do sistema, de onde a janela poderia ser "
                               "aberta de novo. Por isso, fechar a janela encerra o Talvoro e os atalhos "
                               "globais deixam de funcionar."),
            {{talvoro::localized("Cancelar"), QMessageBox::RejectRole, {}, QStringLiteral("cancelButton")},
             {talvoro::localized("Encerrar"), QMessageBox::AcceptRole,
              [this] { QMetaObject::invokeMethod(m_window.get(), &QWidget::close, Qt::QueuedConnection); },
              QStringLiteral("quitButton")}});
    }
    return false;
}

void AppShell::tellDiskFull()
{
    const QList<DiskFullReports::Unsaved> unsaved = m_diskFull->reported();
    if (unsaved.size() <= m_diskFullTold)
        return;
    m_diskFullTold = unsaved.size();
    QStringList lines;
    for (const DiskFullReports::Unsaved what : unsaved) {
        switch (what) {
        case DiskFullReports::Unsaved::history:
            lines.append(talvoro::localized("• transcrições, regras de substituição e termos do dicionário"));
            break;
        case DiskFullReports::Unsaved::settings:
            lines.append(talvoro::localized("• configurações"));
            break;
        case DiskFullReports::Unsaved::pendingChanges:
            lines.append(talvoro::localized("• alterações que ainda serão enviadas à sua conta"));
            break;
        }
    }
    const QString message = talvoro::localized("O Talvoro não conseguiu salvar suas alterações em:")
        + QLatin1Char('\n') + lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n")
        + talvoro::localized("Libere espaço no disco para que o Talvoro volte a salvá-las.");
    if (m_diskFullNotice) {
        m_diskFullNotice->setInformativeText(message);
        return;
    }
    m_diskFullNotice = talvoro::settings::openAlert(
        m_window.get(), talvoro::localized("O disco está cheio"), message,
        {{talvoro::localized("OK"), QMessageBox::RejectRole, {}, QStringLiteral("okButton")}});
    m_diskFullNotice->setObjectName(QStringLiteral("diskFullNotice"));
}

void AppShell::showMainWindow()
{
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void AppShell::handleActivation(const QList<QUrl> &urls)
{
    showMainWindow();
    if (urls.isEmpty())
        return;
    // Callback URLs carry sign-in codes: log where they point, never the query.
    for (const QUrl &url : urls)
        qCInfo(lcMainWindow).noquote() << "Opened with URL"
                                       << url.toString(QUrl::RemoveQuery | QUrl::RemoveFragment
                                                       | QUrl::RemoveUserInfo);
    Q_EMIT urlsOpened(urls);
}
