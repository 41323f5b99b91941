#include "platform/DesktopColorScheme.h"

#include "platform/Logging.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace {

constexpr auto kPath = "/org/freedesktop/portal/desktop";
constexpr auto kInterface = "org.freedesktop.portal.Settings";
constexpr auto kGroup = "org.freedesktop.appearance";
constexpr auto kKey = "color-scheme";

// Read answers a variant holding the value's variant; unwrap every level.
QVariant unwrapped(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.typeId() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

DesktopColorScheme::DesktopColorScheme(QDBusConnection bus, const QString &service, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_service(service)
{
    if (!m_bus.isConnected())
        return;
    // The slot's QDBusVariant must be known to QtDBus before it can be matched.
    qRegisterMetaType<QDBusVariant>();
    // Subscribed before reading, so a change in between is not lost.
    m_listening = m_bus.connect(m_service, QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                                QStringLiteral("SettingChanged"), this,
                                SLOT(settingChanged(QString,QString,QDBusVariant)));
    if (!m_listening)
        qCWarning(lcApp) << "Cannot follow the desktop's colour scheme:" << m_bus.lastError().message();
    // A portal started or restarted later (or slower than the first read)
    // is read again once it has its name.
    auto *watcher = new QDBusServiceWatcher(m_service, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &DesktopColorScheme::read);
    read();
}

void DesktopColorScheme::read()
{
    QDBusMessage read = QDBusMessage::createMethodCall(m_service, QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface), QStringLiteral("Read"));
    read << QString::fromLatin1(kGroup) << QString::fromLatin1(kKey);
    m_changedSinceRead = false;
    // Answered later, not waited for: the window's first frame does not wait
    // on the portal (up to a second when it is slow to start).
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(read, 1000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusMessage reply = call->reply();
        if (m_changedSinceRead)
            return; // a SettingChanged came first and is newer
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            apply(reply.arguments().constFirst());
        else
            qCDebug(lcApp).noquote() << "No desktop portal colour scheme (" + reply.errorName()
                                           + "); the appearance stays as the desktop's palette had it at start";
    });
}

DesktopColorScheme::~DesktopColorScheme()
{
    if (m_listening)
        m_bus.disconnect(m_service, QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                         QStringLiteral("SettingChanged"), this,
                         SLOT(settingChanged(QString,QString,QDBusVariant)));
}

void DesktopColorScheme::settingChanged(const QString &group, const QString &key, const QDBusVariant &value)
{
    if (group == QLatin1String(kGroup) && key == QLatin1String(kKey)) {
        m_changedSinceRead = true;
        apply(value.variant());
    }
}

void DesktopColorScheme::apply(const QVariant &value)
{
    bool ok = false;
    const uint code = unwrapped(value).toUInt(&ok);
    // Values beyond the three the portal defines mean no preference.
    const Scheme scheme = !ok ? Scheme::unknown
        : code == 1           ? Scheme::dark
        : code == 2           ? Scheme::light
                              : Scheme::noPreference;
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    Q_EMIT schemeChanged(scheme);
}
