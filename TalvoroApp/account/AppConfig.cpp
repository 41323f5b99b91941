#include "account/AppConfig.h"

#include <QByteArray>

namespace AppConfig {

QUrl baseURLFromText(const QString &text)
{
    QString trimmed = text.trimmed();
    if (!trimmed.endsWith(QLatin1Char('/')))
        trimmed += QLatin1Char('/');
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()
        || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return QUrl(QString::fromLatin1(kDefaultBackendBaseURL));
    return url;
}

QUrl backendBaseURL()
{
    static const QUrl url = [] {
        const QByteArray configured = qgetenv(kBackendURLEnvironmentVariable);
        return baseURLFromText(configured.isEmpty() ? QString::fromLatin1(kDefaultBackendBaseURL)
                                                    : QString::fromUtf8(configured));
    }();
    return url;
}

QUrl termsOfUseURL()
{
    static const QUrl url(QStringLiteral("https://torvenak.com/talvoro/terms"));
    return url;
}

QUrl privacyPolicyURL()
{
    static const QUrl url(QStringLiteral("https://torvenak.com/talvoro/privacy"));
    return url;
}

QUrl signInCallbackURL()
{
    static const QUrl url(QStringLiteral("stovelantern-mac://auth/callback"));
    return url;
}

} // namespace AppConfig
