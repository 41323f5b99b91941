// talvoro-backend-local: the stand-in backend as a program.
//   talvoro-backend-local [--port N] [--state-file PATH] [--token-lifetime SECONDS]
// Listens on 127.0.0.1 only; port 0 (the default) picks a free port. The
// first line on standard output is the base URL it listens on.
#include "backend-local/BackendServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {
std::atomic_bool s_stopRequested = false;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("talvoro-backend-local"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Local stand-in of the Talvoro backend (127.0.0.1 only)."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port to listen on; 0 picks a free one."),
                                        QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption stateOption(QStringLiteral("state-file"),
                                         QStringLiteral("JSON file that keeps accounts and sessions across restarts."),
                                         QStringLiteral("path"));
    const QCommandLineOption lifetimeOption(QStringLiteral("token-lifetime"),
                                            QStringLiteral("Access token lifetime in seconds (default 3600)."),
                                            QStringLiteral("seconds"), QStringLiteral("3600"));
    parser.addOptions({portOption, stateOption, lifetimeOption});
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "Invalid port: %s\n", qPrintable(parser.value(portOption)));
        return 2;
    }

    backendlocal::BackendServer server(parser.value(stateOption));
    server.state().accessTokenLifetimeSeconds = qMax(1, parser.value(lifetimeOption).toInt());
    if (server.listen(static_cast<quint16>(port)) == 0) {
        std::fprintf(stderr, "Could not listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    std::printf("%s\n", qPrintable(server.baseURL().toString()));
    std::fflush(stdout);

    // Only the flag is touched in the handler; the event loop polls it.
    std::signal(SIGTERM, [](int) { s_stopRequested = true; });
    std::signal(SIGINT, [](int) { s_stopRequested = true; });
    QTimer stopPoll;
    QObject::connect(&stopPoll, &QTimer::timeout, &app, [] {
        if (s_stopRequested)
            QCoreApplication::quit();
    });
    stopPoll.start(200);
    const int status = app.exec();
    server.persist();
    return status;
}
