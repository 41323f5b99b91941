#pragma once

#include "account/SyncPayloads.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QStringList>

#include <expected>

// Reads the body of a `sync/pull` reply as it arrives, in pieces of any size.
// Each element of the row arrays ("transcriptions", "rules",
// "dictionaryEntries") is decoded as soon as its last byte is in and waits in
// `rows()` until taken; the other members (cursor, settings, statistics,
// user) are small and kept until `finish()` decodes them as
// `SyncPullResponse::fromJson` does. So memory holds one element and the rows
// not yet taken, never the body. The result equals the whole-body decode,
// however the body is cut, except that an element the JSON parser refuses
// (invalid UTF-8 in a text, a bad literal) is one problem row, not the end
// of the decode.
class PullReplyDecoder
{
public:
    // One value (an array element or another member) larger than this ends
    // the decode: the limit the whole reply had when it was read at once, so
    // no reply taken then is refused now.
    static constexpr qsizetype kMaxValueBytes = 64 * 1024 * 1024;
    // Unreadable rows are listed up to this many, then only counted.
    static constexpr qsizetype kMaxProblems = 50;

    // False once the body is no JSON object (the reason in `error()`); what
    // follows is ignored.
    bool feed(QByteArrayView bytes);
    // The rows decoded since the last take, in a reply of rows only.
    SyncPullResponse takeRows();
    qsizetype pendingRows() const
    {
        return m_rows.transcriptions.size() + m_rows.rules.size() + m_rows.dictionaryEntries.size();
    }

    // After the last byte: the small members decoded, the rows' problems
    // included (the rows themselves were taken as they came). Fails when the
    // body is malformed, cut short, or not a pull reply.
    std::expected<SyncPullResponse, QString> finish();
    const QString &error() const { return m_error; }

private:
    enum class State {
        beforeRoot,
        beforeKey,        // after '{': a key or '}'
        beforeNextKey,    // after ',': a key
        key,
        beforeColon,
        beforeValue,
        value,            // a member's or an element's bytes
        afterMember,
        beforeElement,     // after '[': an element or ']'
        beforeNextElement, // after ',': an element
        afterElement,
        afterRoot,
        failed,
    };

    bool fail(const QString &why);
    void startValue(char c);
    // Consumes one byte of the value being read; true when it ended. A
    // scalar ends at the byte after it, which is then not consumed.
    bool valueByte(char c, bool &consumed);
    bool endValue();
    bool decodeElement();
    bool keepMember();
    void noteProblem(const QString &problem);

    State m_state = State::beforeRoot;
    QString m_error;
    QByteArray m_key; // the member's key, quotes included
    bool m_keyEscaped = false;
    QByteArray m_value;
    int m_depth = 0;
    bool m_inString = false;
    bool m_escaped = false;
    bool m_inArray = false; // reading a row array's elements
    QString m_member; // the member being read
    qsizetype m_elementIndex = 0;
    QJsonObject m_small;
    SyncPullResponse m_rows;
    QStringList m_problems;
    qsizetype m_problemsLeftOut = 0;
};
