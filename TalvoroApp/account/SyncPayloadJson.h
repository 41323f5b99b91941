#pragma once

// What the payload files share: writing a payload through its writeJson, and
// the strict readers of one member.

#include "platform/OrderedJson.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <expected>

namespace SyncPayloadJson {

// One payload as the bytes its writeJson gives.
template<class Payload>
QByteArray writtenJson(const Payload &payload)
{
    QByteArray out;
    OrderedJson::Writer writer(out);
    payload.writeJson(writer);
    return out;
}

QByteArray raw(const QJsonValue &v);

// Strict readers: a member that is missing or of another type is an error
// naming the member, so a bad row can be reported and skipped.
std::expected<QString, QString> stringMember(const QJsonObject &o, const char *key);
std::expected<bool, QString> boolMember(const QJsonObject &o, const char *key);
std::expected<double, QString> doubleMember(const QJsonObject &o, const char *key);
std::expected<qint64, QString> intMember(const QJsonObject &o, const char *key);
// A count or a total: an integer, never below zero.
std::expected<qint64, QString> countMember(const QJsonObject &o, const char *key);
std::expected<QString, QString> clientIdMember(const QJsonObject &o);

// Rows of one array member; a row that cannot be decoded is left out and
// described in `problems`.
template<typename Payload>
QList<Payload> decodeRows(const QJsonObject &o, const char *key, QStringList &problems)
{
    QList<Payload> rows;
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return rows;
    if (!v.isArray()) {
        problems.append(QStringLiteral("\"%1\" is not an array").arg(QLatin1String(key)));
        return rows;
    }
    const QJsonArray array = v.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        auto row = Payload::fromJson(array.at(i).toObject());
        if (row)
            rows.append(*row);
        else
            problems.append(QStringLiteral("%1[%2]: %3").arg(QLatin1String(key)).arg(i).arg(row.error()));
    }
    return rows;
}

} // namespace SyncPayloadJson

// Unwraps a chain of member reads, stopping at the first error.
#define SYNC_TAKE(target, expr)                  \
    do {                                         \
        auto taken_ = (expr);                    \
        if (!taken_)                             \
            return std::unexpected(taken_.error()); \
        target = *taken_;                        \
    } while (false)
