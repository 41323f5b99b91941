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
#include <optional>

namespace {

// Everything but the QApplication: destroyed (and saved) before it.
int runApplication(SingleInstance &instance, const QStringList &arguments)
{
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
    // The browser's sign-in callback starts a launch that only hands its URL
    // to the running instance: that happens before any display connection,
    // platform choice or D-Bus question. Qt's own options among the
    // arguments are no URLs, so they are passed on harmlessly.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    std::optional<SingleInstance> instance(std::in_place, SingleInstance::defaultServerName());
    switch (instance->start(arguments)) {
    case SingleInstance::Role::primary:
        break;
    case SingleInstance::Role::secondary:
        return 0;
    case SingleInstance::Role::unanswered:
        return 1;
    }

    talvoro::chooseQtPlatform();
    QApplication app(argc, argv);
    qCInfo(lcApp).noquote() << "Qt platform:" << QGuiApplication::platformName();
    AppComposition::configureApplication();
    instance->startListening();

    const int status = runApplication(*instance, QApplication::arguments().mid(1));
    // Its server closes while the event dispatcher is still there.
    instance.reset();
    // Qt 6.4's Wayland client can hang for ever while the QApplication is
    // destroyed (it joins an event thread blocked reading the display).
    // Everything is saved and closed by now, so leave without that teardown.
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
