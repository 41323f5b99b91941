#include "dictation/HotkeyActions.h"
#include "dictation/HotkeyManager.h"
#include "platform/Logging.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    talvoro::installLogFormat();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Talvoro"));
    QApplication::setOrganizationDomain(QStringLiteral("torvenak.com"));
    QApplication::setDesktopFileName(QStringLiteral("com.torvenak.talvoro-mac"));
    talvoro::installHotkeyActions(HotkeyManager::shared());
    QLabel label(QStringLiteral("Talvoro"));
    label.show();
    return app.exec();
}
