#include "platform/OrderedJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace OrderedJson {

QByteArray value(const QJsonValue &v)
{
    // QJsonDocument only writes arrays and objects; wrap and strip the brackets.
    const QByteArray wrapped = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QByteArray object(const QList<Field> &fields)
{
    QByteArray out("{");
    bool first = true;
    for (const auto &[key, raw] : fields) {
        if (!first)
            out += ',';
        first = false;
        out += value(QJsonValue(key));
        out += ':';
        out += raw;
    }
    out += '}';
    return out;
}

QByteArray object(std::initializer_list<Field> fields)
{
    return object(QList<Field>(fields));
}

QByteArray array(const QList<QByteArray> &elements)
{
    QByteArray out("[");
    for (qsizetype i = 0; i < elements.size(); ++i) {
        if (i)
            out += ',';
        out += elements[i];
    }
    out += ']';
    return out;
}

} // namespace OrderedJson
