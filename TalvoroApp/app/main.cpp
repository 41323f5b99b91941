// The entry: logging, the single-instance handover, then the composition
// root (AppComposition) and the event loop.

#include "app/AppComposition.h"
#include "platform/DisplaySession.h"
#include "platform/Logging.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Everything but the QApplication: destroyed (and saved) before it.
int runApplication()
{
    const QStringList arguments = QApplication::arguments().mid(1);
    SingleInstance instance(SingleInstance::defaultServerName());
    switch (instance.start(arguments)) {
    case SingleInstance::Role::primary:
        break;
    case SingleInstance::Role::secondary:
        return 0;
    case SingleInstance::Role::unanswered:
        return 1;
    }

    // Logout, shutdown and Ctrl+C leave through the loop, so the saves below run.
    TerminationSignals terminationSignals;
    AppComposition composition(instance, arguments);
    const int status = QApplication::exec();
    composition.saveBeforeExit();
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    talvoro::installLogFormat();
    talvoro::chooseQtPlatform();
    QApplication app(argc, argv);
    qCInfo(lcApp).noquote() << "Qt platform:" << QGuiApplication::platformName();
    AppComposition::configureApplication();

    const int status = runApplication();
    // Qt 6.4's Wayland client can hang for ever while the QApplication is
    // destroyed (it joins an event thread blocked reading the display).
    // Everything is saved and closed by now, so leave without that teardown.
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
