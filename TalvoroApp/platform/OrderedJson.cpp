#include "platform/OrderedJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace OrderedJson {

namespace {

char hexDigit(uint n) { return char(n < 10 ? '0' + n : 'a' + n - 10); }

void appendUnicodeEscape(QByteArray &out, char16_t unit)
{
    const char escape[] = {'\\', 'u', hexDigit((unit >> 12) & 0xf), hexDigit((unit >> 8) & 0xf),
                           hexDigit((unit >> 4) & 0xf), hexDigit(unit & 0xf)};
    out.append(escape, sizeof escape);
}

} // namespace

// The same escaping as QJsonDocument: the two mandatory escapes, the short
// forms of control characters, \u00XX for the others, lone surrogates as \uXXXX,
// everything else as UTF-8.
void appendString(QByteArray &out, const QString &text)
{
    out.reserve(out.size() + text.size() + 2);
    out.append('"');
    const char16_t *p = reinterpret_cast<const char16_t *>(text.constData());
    const char16_t *const end = p + text.size();
    while (p != end) {
        const char16_t u = *p++;
        if (u < 0x80) {
            if (u >= 0x20 && u != '"' && u != '\\') {
                out.append(char(u));
                continue;
            }
            switch (u) {
            case '"': out.append("\\\"", 2); break;
            case '\\': out.append("\\\\", 2); break;
            case '\b': out.append("\\b", 2); break;
            case '\f': out.append("\\f", 2); break;
            case '\n': out.append("\\n", 2); break;
            case '\r': out.append("\\r", 2); break;
            case '\t': out.append("\\t", 2); break;
            default: appendUnicodeEscape(out, u);
            }
        } else if (u < 0x800) {
            out.append(char(0xc0 | (u >> 6)));
            out.append(char(0x80 | (u & 0x3f)));
        } else if (QChar::isSurrogate(u)) {
            if (QChar::isHighSurrogate(u) && p != end && QChar::isLowSurrogate(*p)) {
                const char32_t c = QChar::surrogateToUcs4(u, *p++);
                out.append(char(0xf0 | (c >> 18)));
                out.append(char(0x80 | ((c >> 12) & 0x3f)));
                out.append(char(0x80 | ((c >> 6) & 0x3f)));
                out.append(char(0x80 | (c & 0x3f)));
            } else {
                appendUnicodeEscape(out, u);
            }
        } else {
            out.append(char(0xe0 | (u >> 12)));
            out.append(char(0x80 | ((u >> 6) & 0x3f)));
            out.append(char(0x80 | (u & 0x3f)));
        }
    }
    out.append('"');
}

void Writer::separate()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_hasElement.isEmpty()) {
        if (m_hasElement.last())
            m_out.append(',');
        m_hasElement.last() = true;
    }
}

void Writer::open(char bracket)
{
    separate();
    m_out.append(bracket);
    m_hasElement.append(false);
}

void Writer::close(char bracket)
{
    m_hasElement.removeLast();
    m_out.append(bracket);
}

void Writer::key(QLatin1String name)
{
    separate();
    // Member names here are plain ASCII identifiers: nothing to escape.
    m_out.append('"');
    m_out.append(name.data(), name.size());
    m_out.append("\":", 2);
    m_afterKey = true;
}

void Writer::key(const QString &name)
{
    separate();
    appendString(m_out, name);
    m_out.append(':');
    m_afterKey = true;
}

void Writer::value(const QString &text)
{
    separate();
    appendString(m_out, text);
}

void Writer::value(bool flag)
{
    separate();
    m_out.append(flag ? QByteArrayView("true") : QByteArrayView("false"));
}

void Writer::value(double number)
{
    separate();
    if (!std::isfinite(number)) {
        m_out.append("null", 4);
    } else if (number == std::floor(number) && std::fabs(number) <= 9007199254740992.0) {
        // QJsonDocument writes integral numbers up to 2^53 without exponent.
        m_out.append(QByteArray::number(qint64(number)));
    } else {
        m_out.append(QByteArray::number(number, 'g', QLocale::FloatingPointShortest));
    }
}

void Writer::value(qint64 number)
{
    separate();
    m_out.append(QByteArray::number(number));
}

void Writer::null()
{
    separate();
    m_out.append("null", 4);
}

void Writer::raw(const QByteArray &json)
{
    separate();
    m_out.append(json);
}

void Writer::value(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Bool: value(v.toBool()); break;
    case QJsonValue::Double:
        if (v.toVariant().typeId() == QMetaType::LongLong)
            value(v.toInteger());
        else
            value(v.toDouble());
        break;
    case QJsonValue::String: value(v.toString()); break;
    case QJsonValue::Array: raw(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact)); break;
    case QJsonValue::Object: raw(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact)); break;
    case QJsonValue::Null:
    case QJsonValue::Undefined: null(); break;
    }
}

QByteArray value(const QJsonValue &v)
{
    QByteArray out;
    Writer(out).value(v);
    return out;
}

QByteArray object(const QList<Field> &fields)
{
    QByteArray out;
    Writer writer(out);
    writer.beginObject();
    for (const auto &[key, raw] : fields) {
        writer.key(key);
        writer.raw(raw);
    }
    writer.endObject();
    return out;
}

QByteArray object(std::initializer_list<Field> fields)
{
    return object(QList<Field>(fields));
}

QByteArray array(const QList<QByteArray> &elements)
{
    QByteArray out;
    Writer writer(out);
    writer.beginArray();
    for (const QByteArray &element : elements)
        writer.raw(element);
    writer.endArray();
    return out;
}

} // namespace OrderedJson
