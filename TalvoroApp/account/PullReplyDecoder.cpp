#include "account/PullReplyDecoder.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <utility>

namespace {

constexpr qsizetype kMaxKeyBytes = 4096;

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// The one JSON value held in "[...]", or the parser's complaint.
std::expected<QJsonValue, QString> parseBracketed(const QByteArray &bracketed)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bracketed, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray() || document.array().size() != 1)
        return std::unexpected(error.errorString());
    return document.array().at(0);
}

template<typename Payload>
std::optional<QString> decodeInto(QList<Payload> &rows, const QJsonValue &element)
{
    auto row = Payload::fromJson(element.toObject());
    if (!row)
        return row.error();
    rows.append(std::move(*row));
    return std::nullopt;
}

} // namespace

bool PullReplyDecoder::fail(const QString &why)
{
    m_state = State::failed;
    m_error = why;
    m_value.clear();
    return false;
}

void PullReplyDecoder::startValue(char c)
{
    // Held bracketed, so that the parser reads a scalar as well as an object.
    m_value = QByteArrayLiteral("[");
    m_value.append(c);
    m_depth = (c == '{' || c == '[') ? 1 : 0;
    m_inString = c == '"';
    m_escaped = false;
    m_state = State::value;
}

bool PullReplyDecoder::valueByte(char c, bool &consumed)
{
    consumed = true;
    if (m_inString) {
        m_value.append(c);
        if (m_escaped)
            m_escaped = false;
        else if (c == '\\')
            m_escaped = true;
        else if (c == '"')
            m_inString = false;
        return !m_inString && m_depth == 0;
    }
    if (m_depth == 0) { // a number, true, false or null: ends where the next token starts
        if (isSpace(c) || c == ',' || c == '}' || c == ']') {
            consumed = false;
            return true;
        }
        m_value.append(c);
        return false;
    }
    m_value.append(c);
    if (c == '"')
        m_inString = true;
    else if (c == '{' || c == '[')
        ++m_depth;
    else if (c == '}' || c == ']')
        --m_depth;
    return m_depth == 0;
}

bool PullReplyDecoder::endValue()
{
    m_value.append(']');
    const bool kept = m_inArray ? decodeElement() : keepMember();
    m_value.clear();
    if (kept)
        m_state = m_inArray ? State::afterElement : State::afterMember;
    return kept;
}

void PullReplyDecoder::noteProblem(const QString &problem)
{
    if (m_problems.size() < kMaxProblems)
        m_problems.append(problem);
    else
        ++m_problemsLeftOut;
}

bool PullReplyDecoder::decodeElement()
{
    const auto element = parseBracketed(m_value);
    const qsizetype index = m_elementIndex++;
    if (!element) {
        // Its bounds are sure (the tokenizer found them), so only this row is
        // lost: one bad row (e.g. a text that is not UTF-8) must not fail
        // this pull and every later one.
        noteProblem(QStringLiteral("%1[%2] is no JSON value: %3").arg(m_member).arg(index).arg(element.error()));
        return true;
    }
    std::optional<QString> problem;
    if (m_member == QLatin1String("transcriptions"))
        problem = decodeInto(m_rows.transcriptions, *element);
    else if (m_member == QLatin1String("rules"))
        problem = decodeInto(m_rows.rules, *element);
    else
        problem = decodeInto(m_rows.dictionaryEntries, *element);
    if (problem)
        noteProblem(QStringLiteral("%1[%2]: %3").arg(m_member).arg(index).arg(*problem));
    return true;
}

bool PullReplyDecoder::keepMember()
{
    const auto value = parseBracketed(m_value);
    if (!value)
        return fail(QStringLiteral("\"%1\" is no JSON value: %2").arg(m_member, value.error()));
    m_small.insert(m_member, *value);
    return true;
}

bool PullReplyDecoder::feed(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        switch (m_state) {
        case State::failed:
            return false;
        case State::beforeRoot:
            if (isSpace(c))
                break;
            if (c != '{')
                return fail(QStringLiteral("the reply is not a JSON object"));
            m_state = State::beforeKey;
            break;
        case State::beforeKey:
        case State::beforeNextKey:
            if (isSpace(c))
                break;
            if (c == '}' && m_state == State::beforeKey) {
                m_state = State::afterRoot;
                break;
            }
            if (c != '"')
                return fail(QStringLiteral("a member name was expected at a '%1'").arg(QLatin1Char(c)));
            m_key = QByteArrayLiteral("[\"");
            m_keyEscaped = false;
            m_state = State::key;
            break;
        case State::key:
            m_key.append(c);
            if (m_key.size() > kMaxKeyBytes)
                return fail(QStringLiteral("a member name is too long"));
            if (m_keyEscaped)
                m_keyEscaped = false;
            else if (c == '\\')
                m_keyEscaped = true;
            else if (c == '"')
                m_state = State::beforeColon;
            break;
        case State::beforeColon: {
            if (isSpace(c))
                break;
            m_key.append(']');
            const auto name = parseBracketed(m_key);
            if (c != ':' || !name || !name->isString())
                return fail(QStringLiteral("a member name and ':' were expected"));
            m_member = name->toString();
            m_state = State::beforeValue;
            break;
        }
        case State::beforeValue:
            if (isSpace(c))
                break;
            if (c == '[' && (m_member == QLatin1String("transcriptions") || m_member == QLatin1String("rules")
                             || m_member == QLatin1String("dictionaryEntries"))) {
                m_inArray = true;
                m_elementIndex = 0;
                m_state = State::beforeElement;
                break;
            }
            if (c == ',' || c == '}' || c == ']' || c == ':')
                return fail(QStringLiteral("a value was expected at a '%1'").arg(QLatin1Char(c)));
            startValue(c);
            break;
        case State::beforeElement:
        case State::beforeNextElement:
            if (isSpace(c))
                break;
            if (c == ']' && m_state == State::beforeElement) {
                m_inArray = false;
                m_state = State::afterMember;
                break;
            }
            if (c == ',' || c == '}' || c == ']' || c == ':')
                return fail(QStringLiteral("%1: an element was expected at a '%2'").arg(m_member).arg(QLatin1Char(c)));
            startValue(c);
            break;
        case State::value: {
            bool consumed = true;
            const bool ended = valueByte(c, consumed);
            if (m_value.size() > kMaxValueBytes)
                return fail(QStringLiteral("a value of \"%1\" is larger than %2 bytes").arg(m_member).arg(kMaxValueBytes));
            if (ended && !endValue())
                return false;
            if (!consumed)
                --i; // the byte after a number or literal is the next token's
            break;
        }
        case State::afterMember:
            if (isSpace(c))
                break;
            if (c == ',')
                m_state = State::beforeNextKey;
            else if (c == '}')
                m_state = State::afterRoot;
            else
                return fail(QStringLiteral("',' or '}' was expected after \"%1\"").arg(m_member));
            break;
        case State::afterElement:
            if (isSpace(c))
                break;
            if (c == ',') {
                m_state = State::beforeNextElement;
            } else if (c == ']') {
                m_inArray = false;
                m_state = State::afterMember;
            } else {
                return fail(QStringLiteral("%1: ',' or ']' was expected").arg(m_member));
            }
            break;
        case State::afterRoot:
            if (!isSpace(c))
                return fail(QStringLiteral("bytes follow the reply's end"));
            break;
        }
    }
    return m_state != State::failed;
}

SyncPullResponse PullReplyDecoder::takeRows()
{
    return std::exchange(m_rows, SyncPullResponse{});
}

std::expected<SyncPullResponse, QString> PullReplyDecoder::finish()
{
    if (m_state == State::failed)
        return std::unexpected(m_error);
    if (m_state != State::afterRoot)
        return std::unexpected(QStringLiteral("the reply ends before it is complete"));
    auto response = SyncPullResponse::fromJson(m_small);
    if (!response)
        return response;
    QStringList problems = m_problems;
    if (m_problemsLeftOut > 0)
        problems.append(QStringLiteral("%1 more unreadable rows").arg(m_problemsLeftOut));
    response->problems = problems + response->problems;
    return response;
}
