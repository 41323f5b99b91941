#pragma once

#include <QString>
#include <QStringList>

#include <expected>

// Launch at login through an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/com.torvenak.talvoro-mac.desktop), which every
// freedesktop session (GNOME, KDE, Xfce...) starts at login.
class LaunchAtLoginManager
{
public:
    // Writes (true) or removes (false) the entry for the running executable;
    // logs the outcome and never fails to its caller.
    static void setEnabled(bool enabled);
    static bool isEnabled();

    static QString autostartFilePath();
    // The program the entry starts: the AppImage when run from one, else
    // this executable.
    static QString executablePath();

    // "NAME=value" for each variable of this process that a copy started at
    // login must get too: the backend address (TALVORO_BACKEND_URL) that
    // scripts/run or the user chose.
    static QStringList carriedEnvironment();

    // The entry's text for `executable`, started through `env` with
    // `environment` ("NAME=value" items) when that is not empty.
    static QString desktopEntry(const QString &executable, const QStringList &environment);
    // An Exec= argument, quoted and escaped as desktop entries require.
    static QString quotedExecArgument(const QString &argument);

    // The work of setEnabled on explicit paths; the error text on failure.
    static std::expected<void, QString> apply(bool enabled, const QString &filePath, const QString &executable,
                                              const QStringList &environment);
};
