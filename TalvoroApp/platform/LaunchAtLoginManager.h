#pragma once

#include <QString>

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

    // The entry's text for `executable`.
    static QString desktopEntry(const QString &executable);
    // An Exec= argument, quoted and escaped as desktop entries require.
    static QString quotedExecArgument(const QString &argument);

    // The work of setEnabled on explicit paths; the error text on failure.
    static std::expected<void, QString> apply(bool enabled, const QString &filePath, const QString &executable);
};
