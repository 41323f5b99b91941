// The pull reply read in pieces gives what the whole body gives.
#include "account/PullReplyDecoder.h"

#include <QJsonDocument>
#include <QTest>

#include <algorithm>

// Declared ahead of the reply text: moc does not follow the raw string.
class TestPullReplyDecoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void anySplitGivesTheWholeBodyDecode();
    void everyEscapeAtEverySplit_data();
    void everyEscapeAtEverySplit();
    void malformedOrCutBodiesFail();
    void aRowTheParserRefusesIsSkipped_data();
    void aRowTheParserRefusesIsSkipped();
};

namespace {

// Escapes, nested members, a row that cannot be decoded, a member that is
// not an array where rows are expected, and scalars ending at every kind of
// next token.
const QByteArray kReply = R"( {
  "cursor" : 1741600000123,
  "transcriptions": [
    {"clientId":"0B9B4F3E-6A2C-4F55-9D5E-1A1B1C1D1E1F","text":"Ol\u00e1 \"mundo\"\\ {[,]}","createdAt":1.7e12,
     "wordCount":2,"durationSeconds":3.5,"language":"pt","updatedAt":1.7e12,"isDeleted":false} ,
    {"clientId":"not-a-uuid","text":7},
    {"clientId":"1C9B4F3E-6A2C-4F55-9D5E-1A1B1C1D1E1F","text":"x","createdAt":1,"wordCount":1,
     "durationSeconds":0,"language":"","updatedAt":2,"isDeleted":true}
  ],
  "rules":[{"clientId":"2C9B4F3E-6A2C-4F55-9D5E-1A1B1C1D1E1F","originalText":"vc","replacementText":"você",
            "isEnabled":true,"useCount":3,"createdAt":1,"updatedAt":2,"isDeleted":false}, 5],
  "dictionaryEntries": null,
  "settings": {"accentColor":"green","updatedAt":12,"dictionaryEnabled":"yes"},
  "statistics": {"weekDictations":1,"weekWords":2,"currentStreak":3,"longestStreak":4,"thisMonthDictations":5,
                 "last7DaysDictations":6,"bestDay":{"date":"2025-03-11","dictations":9},
                 "weeklyChart":[{"weekStart":"2025-01-20","dictations":4,"words":120}],
                 "weeklyUsed":1,"weeklyLimit":500,"hourlyUsed":0,"hourlyLimit":60},
  "user": {"totalDictations":310,"totalWords":9120,"totalDurationSeconds":5230.5}
}
)";

struct Decoded
{
    SyncPullResponse rows;
    std::expected<SyncPullResponse, QString> rest;
};

Decoded decodeInPieces(const QList<QByteArrayView> &pieces)
{
    PullReplyDecoder decoder;
    Decoded decoded;
    for (const QByteArrayView piece : pieces) {
        decoder.feed(piece);
        SyncPullResponse taken = decoder.takeRows();
        decoded.rows.transcriptions += taken.transcriptions;
        decoded.rows.rules += taken.rules;
        decoded.rows.dictionaryEntries += taken.dictionaryEntries;
    }
    decoded.rest = decoder.finish();
    return decoded;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

static void compareWithWholeBody(const Decoded &decoded, const SyncPullResponse &whole)
{
    QVERIFY2(decoded.rest.has_value(), qPrintable(decoded.rest.error()));
    QCOMPARE(decoded.rows.transcriptions, whole.transcriptions);
    QCOMPARE(decoded.rows.rules, whole.rules);
    QCOMPARE(decoded.rows.dictionaryEntries, whole.dictionaryEntries);
    QCOMPARE(decoded.rest->cursor, whole.cursor);
    QCOMPARE(decoded.rest->settings, whole.settings);
    QCOMPARE(decoded.rest->statistics, whole.statistics);
    QCOMPARE(decoded.rest->user, whole.user);
    QCOMPARE(sorted(decoded.rest->problems), sorted(whole.problems));
}

void TestPullReplyDecoder::anySplitGivesTheWholeBodyDecode()
{
    const auto whole = SyncPullResponse::fromJson(QJsonDocument::fromJson(kReply).object());
    QVERIFY(whole.has_value());
    QCOMPARE(whole->transcriptions.size(), 2);
    QCOMPARE(whole->rules.size(), 1);
    QCOMPARE(whole->problems.size(), 3); // a transcription, a rule, a settings member

    for (qsizetype cut = 0; cut <= kReply.size(); ++cut) {
        const QByteArrayView body(kReply);
        compareWithWholeBody(decodeInPieces({body.first(cut), body.sliced(cut)}), *whole);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("cut at byte %1").arg(cut)));
    }
    QList<QByteArrayView> bytes;
    for (qsizetype i = 0; i < kReply.size(); ++i)
        bytes.append(QByteArrayView(kReply).sliced(i, 1));
    compareWithWholeBody(decodeInPieces(bytes), *whole);

    // Rows are handed out as each one ends, not at the end of the body.
    PullReplyDecoder decoder;
    decoder.feed(QByteArrayView(kReply).first(kReply.indexOf("{\"clientId\":\"not-a-uuid\"")));
    QCOMPARE(decoder.takeRows().transcriptions.size(), 1);
}

void TestPullReplyDecoder::everyEscapeAtEverySplit_data()
{
    // A text as it stands in the body, and the text it is.
    QTest::addColumn<QByteArray>("escaped");
    QTest::addColumn<QString>("text");
    QTest::newRow("quote") << QByteArray(R"(diga \"sim\")") << QStringLiteral("diga \"sim\"");
    QTest::newRow("backslash") << QByteArray(R"(C:\\pasta\\)") << QStringLiteral("C:\\pasta\\");
    QTest::newRow("backslash then quote") << QByteArray(R"(\\\")") << QStringLiteral("\\\"");
    QTest::newRow("solidus") << QByteArray(R"(e\/ou <\/p>)") << QStringLiteral("e/ou </p>");
    QTest::newRow("controls") << QByteArray(R"(a\tb\nc\rd\be\f)") << QStringLiteral("a\tb\nc\rd\be\f");
    QTest::newRow("unicode escape") << QByteArray(R"(ol\u00E1 \u00e7\u0000)") << QStringLiteral(u"olá ç") + QChar(0);
    QTest::newRow("surrogate pair") << QByteArray(R"(\ud83d\ude00 \uD83C\uDDE7\uD83C\uDDF7)")
                                    << QStringLiteral(u"\U0001F600 \U0001F1E7\U0001F1F7");
    QTest::newRow("raw UTF-8 beside escapes") << QByteArray("\xe2\x80\x9c\\u201d\xf0\x9f\x91\x8d")
                                              << QStringLiteral(u"\u201c\u201d\U0001F44D");
    QTest::newRow("braces and brackets") << QByteArray(R"({\"a\":[1,2]}\\)") << QStringLiteral("{\"a\":[1,2]}\\");
}

void TestPullReplyDecoder::everyEscapeAtEverySplit()
{
    QFETCH(QByteArray, escaped);
    QFETCH(QString, text);
    // The text in a row, in a key of the row and in a member of the reply's
    // own, so escapes are read by every path.
    const QByteArray body = R"({"cursor":5,"transcriptions":[{"clientId":"0B9B4F3E-6A2C-4F55-9D5E-1A1B1C1D1E1F","text":")"
                            + escaped
                            + R"(","createdAt":1,"wordCount":1,"durationSeconds":0,"language":"pt","updatedAt":2,)"
                              R"("isDeleted":false,")" + escaped + R"(":true}],")" + escaped + R"(":")" + escaped
                            + R"(","rules":[]})";
    const auto whole = SyncPullResponse::fromJson(QJsonDocument::fromJson(body).object());
    QVERIFY(whole.has_value());
    QCOMPARE(whole->transcriptions.size(), 1);
    QCOMPARE(whole->transcriptions.first().text, text);
    for (qsizetype cut = 0; cut <= body.size(); ++cut) {
        const QByteArrayView view(body);
        const Decoded decoded = decodeInPieces({view.first(cut), view.sliced(cut)});
        compareWithWholeBody(decoded, *whole);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("cut at byte %1").arg(cut)));
    }
}

void TestPullReplyDecoder::malformedOrCutBodiesFail()
{
    // Every cut before the closing brace.
    const qsizetype end = kReply.lastIndexOf('}');
    for (qsizetype cut = 0; cut <= end; ++cut) {
        const Decoded decoded = decodeInPieces({QByteArrayView(kReply).first(cut)});
        QVERIFY2(!decoded.rest.has_value(), qPrintable(QStringLiteral("cut at byte %1 was taken").arg(cut)));
    }

    const QList<QByteArray> malformed{
        "[]",
        R"({"cursor":1 "rules":[]})",
        R"({"cursor":1,"rules":[{"clientId":"a"} {"clientId":"b"}]})",
        R"({"cursor":1,"rules":[{"clientId":"a"},]})",
        R"({"cursor":1,"rules":[,]})",
        R"({"cursor":tru})",
        R"({"cursor":1,})",
        R"({"cursor" 1})",
        R"({"cursor":1} x)",
        R"({"cursor":1}})",
    };
    for (const QByteArray &body : malformed) {
        QVERIFY2(!QJsonDocument::fromJson(body).isObject(), body.constData()); // the whole-body decode refuses it too
        PullReplyDecoder decoder;
        decoder.feed(body);
        const auto decoded = decoder.finish();
        QVERIFY2(!decoded.has_value(), body.constData());
        QVERIFY(!decoded.error().isEmpty());
    }

    // Once failed, the rest is ignored and no row comes any more.
    PullReplyDecoder decoder;
    QVERIFY(!decoder.feed(R"({"cursor":1 "transcriptions":[)"));
    QVERIFY(!decoder.feed(QByteArrayView(kReply).sliced(kReply.indexOf("{\"clientId\""))));
    QCOMPARE(decoder.pendingRows(), 0);
}

// An element whose bounds are sure but whose bytes the JSON parser refuses
// is one problem row: the rows around it and the cursor stand, so one bad row
// does not fail this pull and every later one.
void TestPullReplyDecoder::aRowTheParserRefusesIsSkipped_data()
{
    QTest::addColumn<QByteArray>("bad");
    QTest::newRow("text that is not UTF-8") << QByteArray("{\"clientId\":\"x\",\"text\":\"ol\xff\xfe\"}");
    QTest::newRow("a member without a value") << QByteArray(R"({"clientId":})");
    QTest::newRow("a misspelt literal") << QByteArray(R"({"clientId":"x","isDeleted":tru})");
}

void TestPullReplyDecoder::aRowTheParserRefusesIsSkipped()
{
    QFETCH(QByteArray, bad);
    const QByteArray good = R"({"clientId":"0B9B4F3E-6A2C-4F55-9D5E-1A1B1C1D1E1F","text":"a","createdAt":1,)"
                            R"("wordCount":1,"durationSeconds":1,"language":"pt","updatedAt":1,"isDeleted":false})";
    const QByteArray body = R"({"transcriptions":[)" + good + ',' + bad + ',' + good + R"(],"cursor":7})";
    const Decoded decoded = decodeInPieces({QByteArrayView(body)});
    QVERIFY2(decoded.rest.has_value(), qPrintable(decoded.rest.error()));
    QCOMPARE(decoded.rows.transcriptions.size(), 2);
    QCOMPARE(decoded.rest->cursor, std::optional<qint64>(7));
    QCOMPARE(decoded.rest->problems.size(), 1);
    QVERIFY2(decoded.rest->problems[0].startsWith("transcriptions[1] is no JSON value"),
             qPrintable(decoded.rest->problems[0]));
}

QTEST_GUILESS_MAIN(TestPullReplyDecoder)
#include "tst_PullReplyDecoder.moc"
