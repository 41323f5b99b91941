#include "platform/UrlOpener.h"

#include "platform/Logging.h"

#include <QDesktopServices>

bool DesktopUrlOpener::open(const QUrl &url)
{
    const bool opened = QDesktopServices::openUrl(url);
    if (!opened)
        qCWarning(lcApp) << "No handler could open" << url.scheme() << "URL";
    return opened;
}
