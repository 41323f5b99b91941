#include "app/ui/MenuBarItem.h"

#include "texts/Localization.h"
#include "platform/ShellLogging.h"
#include "app/ui/AppIcon.h"

#include <QSystemTrayIcon>

MenuBarItem::MenuBarItem(QObject *parent)
    : QObject(parent)
{
    m_menu.setObjectName(QStringLiteral("menuBar.menu"));
    m_open = m_menu.addAction(talvoro::localized("Abrir Talvoro"));
    m_open->setObjectName(QStringLiteral("menuBar.open"));
    m_menu.addSeparator();
    m_checkForUpdates = m_menu.addAction(talvoro::localized("Buscar atualizações..."));
    m_checkForUpdates->setObjectName(QStringLiteral("menuBar.checkForUpdates"));
    m_checkForUpdates->setEnabled(false);
    m_menu.addSeparator();
    m_quit = m_menu.addAction(talvoro::localized("Sair do Talvoro"));
    m_quit->setObjectName(QStringLiteral("menuBar.quit"));
    // The desktop's quit keys; Ctrl+Q where its scheme names none.
    QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (quitKeys.isEmpty())
        quitKeys = {QKeySequence(Qt::CTRL | Qt::Key_Q)};
    m_quit->setShortcuts(quitKeys);
    connect(m_open, &QAction::triggered, this, &MenuBarItem::openWindowRequested);
    connect(m_checkForUpdates, &QAction::triggered, this, &MenuBarItem::checkForUpdatesRequested);
    connect(m_quit, &QAction::triggered, this, &MenuBarItem::quitRequested);
}

MenuBarItem::~MenuBarItem()
{
    delete m_tray;
}

bool MenuBarItem::isSystemTrayAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool MenuBarItem::show()
{
    if (!isSystemTrayAvailable()) {
        qCInfo(lcMenuBar) << "No system tray on this desktop: closing the window quits Talvoro";
        return false;
    }
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(talvoro::appIcon());
        m_tray->setToolTip(QStringLiteral("Talvoro"));
        m_tray->setContextMenu(&m_menu);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                Q_EMIT openWindowRequested();
        });
    }
    m_tray->show();
    return true;
}

bool MenuBarItem::isVisible() const
{
    return m_tray && m_tray->isVisible();
}
