#include "account/SyncPayloadJson.h"

#include "account/SyncPayloads.h"

#include <cmath>

namespace SyncPayloadJson {

QByteArray raw(const QJsonValue &v) { return OrderedJson::value(v); }

// Strict readers: a member that is missing or of another type is an error
// naming the member, so a bad row can be reported and skipped.
std::expected<QString, QString> stringMember(const QJsonObject &o, const char *key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString())
        return std::unexpected(QStringLiteral("\"%1\" missing or not a string").arg(QLatin1String(key)));
    return v.toString();
}

std::expected<bool, QString> boolMember(const QJsonObject &o, const char *key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isBool())
        return std::unexpected(QStringLiteral("\"%1\" missing or not a boolean").arg(QLatin1String(key)));
    return v.toBool();
}

std::expected<double, QString> doubleMember(const QJsonObject &o, const char *key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        return std::unexpected(QStringLiteral("\"%1\" missing or not a number").arg(QLatin1String(key)));
    return v.toDouble();
}

std::expected<qint64, QString> intMember(const QJsonObject &o, const char *key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    const double d = v.toDouble();
    if (!v.isDouble() || !std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.0e15)
        return std::unexpected(QStringLiteral("\"%1\" missing or not an integer").arg(QLatin1String(key)));
    return qint64(d);
}

// A count or a total: an integer, never below zero.
std::expected<qint64, QString> countMember(const QJsonObject &o, const char *key)
{
    auto value = intMember(o, key);
    if (value && *value < 0)
        return std::unexpected(QStringLiteral("\"%1\" is negative: %2").arg(QLatin1String(key)).arg(*value));
    return value;
}

std::expected<QString, QString> clientIdMember(const QJsonObject &o)
{
    auto id = stringMember(o, "clientId");
    if (!id)
        return id;
    if (syncUuidFromClientId(*id).isNull())
        return std::unexpected(QStringLiteral("\"clientId\" is not a UUID: %1").arg(*id));
    return id->toUpper();
}

} // namespace SyncPayloadJson
