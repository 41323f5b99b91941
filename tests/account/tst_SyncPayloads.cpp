#include "account/SyncDefaults.h"
#include "account/SyncMerge.h"
#include "account/SyncPayloads.h"
#include "platform/ModelContext.h"
#include "support/TestSupport.h"
#include "transcription/ReplacementRule.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

QJsonObject parse(const QByteArray &json) { return QJsonDocument::fromJson(json).object(); }

QJsonObject statisticsJson(const QJsonValue &bestDay, const QJsonArray &chart)
{
    return {{"weekDictations", 12}, {"weekWords", 340}, {"currentStreak", 3}, {"longestStreak", 9},
            {"thisMonthDictations", 40}, {"last7DaysDictations", 15}, {"bestDay", bestDay},
            {"weeklyChart", chart}, {"weeklyUsed", 12}, {"weeklyLimit", 500}, {"hourlyUsed", 2},
            {"hourlyLimit", 60}};
}

const QString kId = QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF");

ReplacementRule localRule(const QString &replacement, qint64 updatedMs)
{
    ReplacementRule rule(QStringLiteral("vc"), replacement);
    rule.createdAt = at(1000);
    rule.updatedAt = at(updatedMs);
    return rule;
}

SyncRulePayload remote(const ReplacementRule &rule, const QString &replacement, double updatedMs, bool deleted = false)
{
    SyncRulePayload p = SyncMerge::payloadFromRule(rule, deleted);
    p.replacementText = replacement;
    p.updatedAt = updatedMs;
    return p;
}

} // namespace

class TestSyncPayloads : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pushRecordsKeepTheirFieldOrder()
    {
        SyncRulePayload rule{kId, "vc", "você", true, 4, 1741600000123.0, 1741600000456.5, false};
        QCOMPARE(rule.toJson(),
                 QByteArray(R"({"clientId":"6F9619FF-8B86-D011-B42D-00C04FC964FF","originalText":"vc",)"
                            R"("replacementText":"você","isEnabled":true,"useCount":4,"createdAt":1741600000123,)"
                            R"("updatedAt":1741600000456.5,"isDeleted":false})"));
        QCOMPARE(SyncRulePayload::fromJson(parse(rule.toJson())).value(), rule);

        SyncDictionaryEntryPayload entry{kId, "Talvoro", "pt", "manual", 2, 3.0, 1.0, 2.0, true};
        QCOMPARE(entry.toJson(),
                 QByteArray(R"({"clientId":"6F9619FF-8B86-D011-B42D-00C04FC964FF","term":"Talvoro","language":"pt",)"
                            R"("source":"manual","useCount":2,"lastUsedAt":3,"createdAt":1,"updatedAt":2,"isDeleted":true})"));
        QCOMPARE(SyncDictionaryEntryPayload::fromJson(parse(entry.toJson())).value(), entry);
    }

    // The streaming writer must write every value byte for byte as
    // QJsonDocument does, or a payload would change on the wire.
    void writerMatchesQJsonDocument()
    {
        QString tricky = QString::fromUtf8("a\"\\/\b\f\n\r\t\x01\x1f\x7f é 日本 😀 \u2028");
        tricky += QChar(0xD800); // a lone surrogate
        tricky += QStringLiteral("x");
        tricky += QChar(0xDC00);
        QJsonArray expected;
        QByteArray written;
        OrderedJson::Writer writer(written);
        writer.beginArray();
        const auto add = [&](const QJsonValue &v) {
            expected.append(v);
            writer.value(v);
        };
        add(tricky);
        add(QString());
        for (double d : {0.0, -0.0, 0.5, 1.0 / 3, 1e-7, 2.5e-5, 1741600000123.0, 1741600000456.5, 1e15, 1e16,
                         9007199254740992.0, 9007199254740994.0, -9007199254740994.0, 18014398509481984.0, 1e21,
                         1e300, 5e-324, -12345.678, std::nan(""), HUGE_VAL})
            add(d);
        for (qint64 n : {qint64(0), qint64(-5), qint64(9007199254740993LL), std::numeric_limits<qint64>::max()})
            add(n);
        add(true);
        add(QJsonValue::Null);
        add(QJsonObject{{"b", 1}, {"a", QJsonArray{1, "x"}}});
        writer.endArray();
        QCOMPARE(written, QJsonDocument(expected).toJson(QJsonDocument::Compact));

        SyncTranscriptionPayload row{kId, tricky, 1741600000123.0, 3, 2.25, "pt", 1741600000123.0, false};
        SyncPushRequest request;
        request.transcriptions = {row, row};
        request.settings = SyncSettingsPayload{};
        const QJsonObject body = parse(request.toJson());
        QCOMPARE(body.value("transcriptions").toArray().at(1).toObject(), parse(row.toJson()));
        QCOMPARE(SyncPushRequest::fromJson(body)->transcriptions, request.transcriptions);
    }

    void decodingRejectsMissingOrMistypedFields()
    {
        SyncRulePayload rule{kId, "a", "b", true, 0, 1, 2, false};
        QJsonObject o = rule.toJsonObject();
        o.remove("isDeleted");
        QVERIFY(!SyncRulePayload::fromJson(o).has_value());
        o = rule.toJsonObject();
        o["useCount"] = "4";
        QVERIFY(SyncRulePayload::fromJson(o).error().contains("useCount"));
        o = rule.toJsonObject();
        o["clientId"] = "not-a-uuid";
        QVERIFY(!SyncRulePayload::fromJson(o).has_value());
        o["clientId"] = kId.toLower(); // lower-case ids are accepted and normalised
        QCOMPARE(SyncRulePayload::fromJson(o)->clientId, kId);

        for (const char *missing : {"weekStart", "dictations", "words"}) {
            QJsonObject week{{"weekStart", "2025-03-10"}, {"dictations", 4}, {"words", 120}};
            week.remove(QLatin1String(missing));
            QVERIFY2(!SyncPullStatsWeekEntry::fromJson(week).has_value(), missing);
        }
        QVERIFY(!SyncPullStatsWeekEntry::fromJson({{"weekStart", "2025-03-10"}, {"dictations", 4.5}, {"words", 1}}));
    }

    void weeklyChartIsStoredAsCompactOrderedArray()
    {
        const QList<SyncPullStatsWeekEntry> weeks{{"2025-03-03", 4, 120}, {"2025-03-10", 0, 0}};
        const QByteArray data = encodeWeeklyChart(weeks);
        QCOMPARE(data, QByteArray(R"([{"weekStart":"2025-03-03","dictations":4,"words":120},)"
                                  R"({"weekStart":"2025-03-10","dictations":0,"words":0}])"));
        QCOMPARE(decodeWeeklyChart(data).value(), weeks);
        QCOMPARE(encodeWeeklyChart({}), QByteArray("[]"));
    }

    void pullReplyKeepsGoodRowsAndReportsBadOnes()
    {
        SyncRulePayload good{kId, "a", "b", true, 0, 1, 2, false};
        const QJsonObject reply{
            {"cursor", 1234.0},
            {"rules", QJsonArray{good.toJsonObject(), QJsonObject{{"clientId", kId}}}},
            {"transcriptions", QJsonArray{QJsonObject{{"clientId", kId}, {"isDeleted", true}, {"updatedAt", 5}}}},
            {"dictionaryEntries", "oops"},
            {"settings", QJsonObject{{"accentColor", "green"}, {"dictionaryEnabled", "yes"}}},
            {"statistics", statisticsJson(QJsonValue::Null, QJsonArray{QJsonObject{{"weekStart", "2025-03-10"}}})},
            {"user", QJsonObject{{"totalDictations", 3}, {"totalWords", 30}, {"totalDurationSeconds", 12.5}}},
        };
        const auto decoded = SyncPullResponse::fromJson(reply);
        QVERIFY(decoded.has_value());
        QCOMPARE(decoded->cursor.value_or(-1), 1234);
        QCOMPARE(decoded->rules.size(), 1);
        QCOMPARE(decoded->transcriptions.size(), 1);
        QVERIFY(decoded->transcriptions[0].isDeleted);
        QVERIFY(decoded->dictionaryEntries.isEmpty());
        QCOMPARE(decoded->settings->accentColor, QString("green"));
        QVERIFY(!decoded->settings->dictionaryEnabled.has_value());
        QVERIFY(!decoded->statistics.has_value()); // one bad week spoils the chart: keep the old one
        QCOMPARE(decoded->user->totalDurationSeconds, 12.5);
        QCOMPARE(decoded->problems.size(), 4);

        QVERIFY(!SyncPullResponse::fromJson({}).has_value());
        QVERIFY(!SyncPullResponse::fromJson({{"rules", QJsonArray{}}}).has_value()); // no cursor
    }

    // A cursor a qint64 cannot hold is refused (it would wrap to a negative
    // and make every later pull a full one); the rest of the reply stands.
    void outOfRangeCursorIsRefused()
    {
        const QList<std::pair<double, qint64>> cases{{1e308, -1}, {9223372036854775808.0, -1}, {-5, -1},
                                                     {9223372036854774784.0, 9223372036854774784LL},
                                                     {1741600000123.5, 1741600000123LL}};
        for (const auto &[cursor, kept] : cases) {
            const auto decoded = SyncPullResponse::fromJson({{"cursor", cursor}, {"rules", QJsonArray{}}});
            QCOMPARE(decoded->cursor.value_or(-1), kept);
            QCOMPARE(decoded->problems.size(), kept < 0 ? 1 : 0);
        }
    }

    void pullWritesTheStatisticsAndKeepsAMissingBestDay()
    {
        TemporarySettings s;
        auto &d = *s.store;
        d.setString("syncBestDayDate", "2024-1-2");
        d.setInt64("syncBestDayDictations", 7);
        const QJsonArray chart{QJsonObject{{"weekStart", "2025-03-03"}, {"dictations", 4}, {"words", 120}}};
        auto response = SyncPullResponse::fromJson(
            {{"cursor", 1.0},
             {"statistics", statisticsJson(QJsonValue::Null, chart)},
             {"user", QJsonObject{{"totalDictations", 3}, {"totalWords", 30}, {"totalDurationSeconds", 12.5}}}});
        QVERIFY(response && response->problems.isEmpty());

        QVERIFY(SyncDefaults::applyPull(*response, d).isEmpty());
        QCOMPARE(d.int64Value("syncWeekWords"), 340);
        QCOMPARE(d.int64Value("weeklyLimit"), 500);
        QCOMPARE(d.doubleValue("syncTotalDurationSeconds"), 12.5);
        QCOMPARE(d.dataValue("syncWeeklyChart"), QByteArray(R"([{"weekStart":"2025-03-03","dictations":4,"words":120}])"));
        // No best day in this reply: the previous one stays.
        QCOMPARE(d.stringValue("syncBestDayDate"), QString("2024-1-2"));
        QCOMPARE(d.int64Value("syncBestDayDictations"), 7);

        response = SyncPullResponse::fromJson(
            {{"cursor", 2.0},
             {"statistics", statisticsJson(QJsonObject{{"date", "2025-03-11"}, {"dictations", 9}}, chart)}});
        SyncDefaults::applyPull(*response, d);
        QCOMPARE(d.stringValue("syncBestDayDate"), QString("2025-03-11"));
        QCOMPARE(d.int64Value("syncBestDayDictations"), 9);

        // A malformed best day rejects the block rather than writing a bad date.
        response = SyncPullResponse::fromJson(
            {{"cursor", 3.0}, {"statistics", statisticsJson(QJsonObject{{"date", "yesterday"}, {"dictations", 1}}, chart)}});
        QVERIFY(!response->statistics.has_value());
    }

    void settingsBlockReadsTheStoreAndPullWritesItBack()
    {
        TemporarySettings s;
        auto &d = *s.store;
        d.setString("transcriptionLanguage", "fr");
        d.setString("keyboardAccentColor", "orange");
        d.setBool("translationEnabled", true);
        d.setBool("replacementRulesEnabled", false);
        d.setData("formattingOptions", R"({"tone":"formal","addParagraphs":false,"removeFinalPeriod":true,)"
                                       R"("formatDates":true,"formatTimes":false,"formatLists":true})");
        const auto block = SyncDefaults::currentSettingsBlock(d, QDateTime::fromMSecsSinceEpoch(6000, Qt::UTC));
        QCOMPARE(qint64(block.updatedAt), qint64(6000));
        const QByteArray json = block.toJson();
        QVERIFY(json.startsWith(R"({"transcriptionLanguage":"fr","transcriptionDomain":"general","formattingOptions":{"tone":"formal","addParagraphs":false,)"));
        QVERIFY(json.contains(R"("accentColor":"orange")"));
        QVERIFY(!json.contains("translationEnabled"));
        QVERIFY(!json.contains("keyboardAccentColor"));

        // On another device: the pulled block lands on the same keys.
        TemporarySettings other;
        QVERIFY(SyncDefaults::applySettings(SyncSettingsPayload::fromJson(parse(json)), *other.store).isEmpty());
        QCOMPARE(other.store->stringValue("transcriptionLanguage"), QString("fr"));
        QCOMPARE(other.store->stringValue("keyboardAccentColor"), QString("orange"));
        QCOMPARE(other.store->boolValue("replacementRulesEnabled", true), false);
        QCOMPARE(other.store->dataValue("formattingOptions"), d.dataValue("formattingOptions"));
        QVERIFY(!other.store->contains("translationEnabled"));
    }

    void invalidPulledSettingsAreSkippedNotStored()
    {
        TemporarySettings s;
        auto &d = *s.store;
        d.setData("formattingOptions", "keep");
        QStringList problems;
        const auto block = SyncSettingsPayload::fromJson(
            {{"formattingOptions", QJsonObject{{"tone", "shouty"}}}, {"transcriptionDomain", "legal"},
             {"accentColor", ""}, {"dictionaryEnabled", false}},
            &problems);
        QVERIFY(problems.isEmpty());
        QCOMPARE(SyncDefaults::applySettings(block, d).size(), 3);
        QCOMPARE(d.dataValue("formattingOptions"), QByteArray("keep"));
        QVERIFY(!d.contains("transcriptionDomain"));
        QVERIFY(!d.contains("keyboardAccentColor"));
        QCOMPARE(d.boolValue("dictionaryEnabled", true), false);

        // While a local settings push waits, the pulled block is not applied.
        SyncPullResponse response;
        response.settings = SyncSettingsPayload{};
        response.settings->dictionaryEnabled = true;
        SyncDefaults::applyPull(response, d, {.applySettings = false});
        QCOMPARE(d.boolValue("dictionaryEnabled", true), false);
    }

    void lastWriterWinsOnUpdatedAt()
    {
        TemporaryProfile profile;
        AppModelContainer &container = profile.models;
        ModelContext &context = container.mainContext();
        const ReplacementRule older = localRule(QStringLiteral("local-old"), 5000);
        const ReplacementRule newer = localRule(QStringLiteral("local-new"), 9000);
        const ReplacementRule editedAfterDeletion = localRule(QStringLiteral("kept"), 9000);
        const ReplacementRule deletedRemotely = localRule(QStringLiteral("gone"), 5000);
        const ReplacementRule sameTime = localRule(QStringLiteral("local-same"), 7000);
        for (const auto &rule : {older, newer, editedAfterDeletion, deletedRemotely, sameTime})
            context.insert(rule);
        QVERIFY(context.save().has_value());

        SyncPullResponse response;
        const ReplacementRule added(QStringLiteral("pq"), QStringLiteral("porque"));
        response.rules = {remote(older, QStringLiteral("remote"), 6000.4),
                          remote(newer, QStringLiteral("remote-stale"), 8000),
                          remote(editedAfterDeletion, {}, 8000, true),
                          remote(deletedRemotely, {}, 6000, true),
                          remote(sameTime, QStringLiteral("remote-same"), 7000),
                          SyncMerge::payloadFromRule(added, false)};
        const auto counts = SyncMerge::apply(context, response, {});
        QVERIFY(counts.has_value());
        QCOMPARE(counts->inserted, 1);
        QCOMPARE(counts->updated, 1);
        QCOMPARE(counts->deleted, 1);
        QCOMPARE(counts->keptLocal, 2);

        auto fetched = [&](const ReplacementRule &rule) { return container.makeContext()->fetchById<ReplacementRule>(rule.id); };
        QCOMPARE(fetched(older)->replacementText, QString("remote"));
        QCOMPARE(fetched(older)->updatedAt.toMSecsSinceEpoch(), 6000);
        QCOMPARE(fetched(newer)->replacementText, QString("local-new"));
        QCOMPARE(fetched(editedAfterDeletion)->replacementText, QString("kept"));
        QVERIFY(!fetched(deletedRemotely).has_value());
        QCOMPARE(fetched(sameTime)->replacementText, QString("local-same")); // equal times change nothing
        QCOMPARE(fetched(added)->replacementText, QString("porque"));
    }
};

QTEST_GUILESS_MAIN(TestSyncPayloads)
#include "tst_SyncPayloads.moc"
