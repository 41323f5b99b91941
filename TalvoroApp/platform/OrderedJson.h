#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <initializer_list>
#include <utility>

// QJsonObject sorts its keys; records that promise a field order (payloads,
// the stored weekly chart) are written through this instead. Compact output,
// values written exactly as QJsonDocument writes them.
namespace OrderedJson {

using Field = std::pair<QString, QByteArray>;

// Appends one JSON document to a byte array as it goes: no intermediate
// document or value objects, so a request of many rows is encoded once.
// Separators are placed by the writer; keys and values are escaped.
class Writer
{
public:
    explicit Writer(QByteArray &out) : m_out(out) {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }
    // The next member's name (inside an object).
    void key(QLatin1String name);
    void key(const QString &name);

    void value(const QString &text);
    void value(bool flag);
    void value(double number); // integral values up to 2^53 as integers; not finite: null
    void value(qint64 number);
    void value(int number) { value(qint64(number)); }
    void value(const QJsonValue &value);
    void value(const char *) = delete; // would silently become a bool
    void null();
    // A value that is already JSON text.
    void raw(const QByteArray &json);

    template<typename T>
    void member(QLatin1String name, const T &v)
    {
        key(name);
        value(v);
    }

private:
    void open(char bracket);
    void close(char bracket);
    void separate();

    QByteArray &m_out;
    // One flag per open container: whether it has an element yet.
    QList<bool> m_hasElement;
    bool m_afterKey = false;
};

// Appends `text` as a JSON string, quotes included.
void appendString(QByteArray &out, const QString &text);

// The compact JSON text of one value (string, number, bool, null, array, object).
QByteArray value(const QJsonValue &value);
// An object whose members appear in the given order; each member is raw JSON text.
QByteArray object(std::initializer_list<Field> fields);
QByteArray object(const QList<Field> &fields);
// An array of raw JSON texts.
QByteArray array(const QList<QByteArray> &elements);

} // namespace OrderedJson
