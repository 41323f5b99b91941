#include "platform/LaunchAtLoginManager.h"

#include "platform/ShellLogging.h"
#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

void LaunchAtLoginManager::setEnabled(bool enabled)
{
    const auto result = apply(enabled, autostartFilePath(), executablePath(), carriedEnvironment());
    if (!result) {
        qCCritical(lcLaunchAtLogin).noquote() << "Failed to set launch at login:" << result.error();
        return;
    }
    qCInfo(lcLaunchAtLogin).noquote()
        << (enabled ? QStringLiteral("Launch at login registered") : QStringLiteral("Launch at login unregistered"));
}

bool LaunchAtLoginManager::isEnabled()
{
    return QFileInfo::exists(autostartFilePath());
}

QString LaunchAtLoginManager::autostartFilePath()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("autostart/") + QLatin1String(talvoro::kBundleIdentifier)
                                 + QStringLiteral(".desktop"));
}

QString LaunchAtLoginManager::executablePath()
{
    const QString appImage = qEnvironmentVariable("APPIMAGE");
    if (!appImage.isEmpty() && QFileInfo(appImage).isExecutable())
        return appImage;
    return QCoreApplication::applicationFilePath();
}

QStringList LaunchAtLoginManager::carriedEnvironment()
{
    // The account layer's override of the backend address; without it a
    // copy started at login would talk to the built-in default instead.
    const char *name = "TALVORO_BACKEND_URL";
    if (!qEnvironmentVariableIsSet(name))
        return {};
    return {QLatin1String(name) + u'=' + qEnvironmentVariable(name)};
}

QString LaunchAtLoginManager::quotedExecArgument(const QString &argument)
{
    // Inside double quotes, `"`, `` ` ``, `$` and `\` take a backslash; a
    // literal `%` is written `%%`. Then the whole value is escaped once more
    // as a desktop-entry string, which doubles every backslash.
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    quoted = u'"' + quoted + u'"';
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    return quoted;
}

QString LaunchAtLoginManager::desktopEntry(const QString &executable, const QStringList &environment)
{
    // Exec= runs a program with arguments, not a shell line: variables go
    // through env(1), each assignment one quoted argument.
    QStringList command;
    if (!environment.isEmpty())
        command.append(QStringLiteral("env"));
    for (const QString &argument : environment + QStringList{executable})
        command.append(quotedExecArgument(argument));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Talvoro\n"
                          "Comment=Dictation from the menu bar\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "NoDisplay=true\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(command.join(u' '), QLatin1String(talvoro::kBundleIdentifier));
}

std::expected<void, QString> LaunchAtLoginManager::apply(bool enabled, const QString &filePath,
                                                         const QString &executable, const QStringList &environment)
{
    if (!enabled) {
        QFile entry(filePath);
        if (entry.exists() && !entry.remove())
            return std::unexpected(entry.errorString());
        return {};
    }
    const QString folder = QFileInfo(filePath).absolutePath();
    if (!QDir().mkpath(folder))
        return std::unexpected(QStringLiteral("Cannot create the folder ") + folder);
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return std::unexpected(file.errorString());
    file.write(desktopEntry(executable, environment).toUtf8());
    if (!file.commit())
        return std::unexpected(file.errorString());
    return {};
}
