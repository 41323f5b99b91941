#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <initializer_list>
#include <utility>

// QJsonObject sorts its keys; records that promise a field order (payloads,
// the stored weekly chart) are written through this instead. Compact output,
// values escaped exactly as QJsonDocument escapes them.
namespace OrderedJson {

using Field = std::pair<QString, QByteArray>;

// The compact JSON text of one value (string, number, bool, null, array, object).
QByteArray value(const QJsonValue &value);
// An object whose members appear in the given order; each member is raw JSON text.
QByteArray object(std::initializer_list<Field> fields);
QByteArray object(const QList<Field> &fields);
// An array of raw JSON texts.
QByteArray array(const QList<QByteArray> &elements);

} // namespace OrderedJson
