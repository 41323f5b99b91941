#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>

// The desktop's light or dark preference, from the XDG desktop portal's
// Settings interface (`org.freedesktop.appearance` `color-scheme`), kept
// current through its SettingChanged signal. GNOME, KDE and the portal
// back-ends of other desktops publish it; without a portal it stays unknown.
class DesktopColorScheme : public QObject
{
    Q_OBJECT
public:
    enum class Scheme {
        unknown,      // no portal, or it does not know the setting
        noPreference, // the portal's 0
        dark,         // 1
        light,        // 2
    };
    Q_ENUM(Scheme)

    static constexpr const char *kPortalService = "org.freedesktop.portal.Desktop";

    // Asks for the setting without waiting, and again whenever the portal's
    // name gets an owner (started later, restarted); schemeChanged follows
    // when the portal answers (within a second) or the setting changes.
    explicit DesktopColorScheme(QDBusConnection bus = QDBusConnection::sessionBus(),
                                const QString &service = QString::fromLatin1(kPortalService),
                                QObject *parent = nullptr);
    ~DesktopColorScheme() override;

    Scheme scheme() const { return m_scheme; }

Q_SIGNALS:
    void schemeChanged(DesktopColorScheme::Scheme scheme);

private Q_SLOTS:
    void settingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    void read();
    void apply(const QVariant &value);

    QDBusConnection m_bus;
    QString m_service;
    bool m_listening = false;
    bool m_changedSinceRead = false;
    Scheme m_scheme = Scheme::unknown;
};
