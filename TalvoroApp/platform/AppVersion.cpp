#include "platform/AppVersion.h"

#include "talvoro_build_number.h"

namespace talvoro {

namespace {
QString partOrDash(const std::optional<QString> &part)
{
    return part && !part->isEmpty() ? *part : QStringLiteral("—");
}
} // namespace

std::optional<QString> appShortVersion()
{
#ifdef TALVORO_SHORT_VERSION
    return QStringLiteral(TALVORO_SHORT_VERSION);
#else
    return std::nullopt;
#endif
}

std::optional<QString> appBuildNumber()
{
#ifdef TALVORO_BUILD_NUMBER
    return QStringLiteral(TALVORO_BUILD_NUMBER);
#else
    return std::nullopt;
#endif
}

QString appVersionString(const std::optional<QString> &shortVersion, const std::optional<QString> &buildNumber)
{
    return partOrDash(shortVersion) + QStringLiteral(" (") + partOrDash(buildNumber) + QLatin1Char(')');
}

QString appVersionString()
{
    return appVersionString(appShortVersion(), appBuildNumber());
}

QString shortAppVersion()
{
    const std::optional<QString> version = appShortVersion();
    return version && !version->isEmpty() ? *version : QStringLiteral("1.0");
}

} // namespace talvoro
