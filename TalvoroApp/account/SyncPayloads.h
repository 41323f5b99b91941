#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include "platform/ModelValues.h"
#include "platform/OrderedJson.h"

#include <expected>
#include <optional>

// The records exchanged with the account's sync paths. Field order is the
// order of the members; dates travel as floating-point milliseconds since
// 1970 and ids as the upper-case hyphenated UUID text ("client id").
// Dates keep the part of a millisecond they carry, both ways.
namespace SyncTime {
double msFromDate(const talvoro::ModelDate &date);
talvoro::ModelDate dateFromMs(double ms);
} // namespace SyncTime

QString syncClientId(const QUuid &id);
// A client id parsed back into a UUID; a null UUID when the text is none.
QUuid syncUuidFromClientId(const QString &clientId);

struct SyncRulePayload
{
    QString clientId;
    QString originalText;
    QString replacementText;
    bool isEnabled = true;
    qint64 useCount = 0;
    double createdAt = 0;
    double updatedAt = 0;
    bool isDeleted = false;

    QByteArray toJson() const;
    void writeJson(OrderedJson::Writer &writer) const;
    QJsonObject toJsonObject() const;
    static std::expected<SyncRulePayload, QString> fromJson(const QJsonObject &object);
    bool operator==(const SyncRulePayload &) const = default;
};

struct SyncDictionaryEntryPayload
{
    QString clientId;
    QString term;
    QString language;
    QString source;
    qint64 useCount = 0;
    double lastUsedAt = 0;
    double createdAt = 0;
    double updatedAt = 0;
    bool isDeleted = false;

    QByteArray toJson() const;
    void writeJson(OrderedJson::Writer &writer) const;
    QJsonObject toJsonObject() const;
    static std::expected<SyncDictionaryEntryPayload, QString> fromJson(const QJsonObject &object);
    bool operator==(const SyncDictionaryEntryPayload &) const = default;
};

// One transcription as the initial push sends it and a pull returns it.
// `updatedAt` is the creation time, or the deletion time of a tombstone.
struct SyncTranscriptionPayload
{
    QString clientId;
    QString text;
    double createdAt = 0;
    qint64 wordCount = 0;
    double durationSeconds = 0;
    QString language;
    double updatedAt = 0;
    bool isDeleted = false;

    QByteArray toJson() const;
    void writeJson(OrderedJson::Writer &writer) const;
    QJsonObject toJsonObject() const;
    static std::expected<SyncTranscriptionPayload, QString> fromJson(const QJsonObject &object);
    bool operator==(const SyncTranscriptionPayload &) const = default;
};

// The block of synchronised settings. Every member is present in a push; a
// pulled block may leave members out, and those settings stay as they are.
// `formattingOptions` is the object stored under the `formattingOptions` key.
struct SyncSettingsPayload
{
    std::optional<QString> transcriptionLanguage;
    std::optional<QString> transcriptionDomain;
    std::optional<QJsonObject> formattingOptions;
    std::optional<bool> dictionaryEnabled;
    std::optional<bool> replacementRulesEnabled;
    std::optional<QString> accentColor;
    std::optional<QString> translationTargetLanguage;
    double updatedAt = 0; // when the block was read from the settings store

    QByteArray toJson() const;
    void writeJson(OrderedJson::Writer &writer) const;
    QJsonObject toJsonObject() const;
    // Members of the wrong type are dropped and named in `problems`.
    static SyncSettingsPayload fromJson(const QJsonObject &object, QStringList *problems = nullptr);
    bool operator==(const SyncSettingsPayload &) const = default;
};

struct SyncPullStatsWeekEntry
{
    QString weekStart; // "year-month-day"
    qint64 dictations = 0;
    qint64 words = 0;

    QByteArray toJson() const;
    static std::expected<SyncPullStatsWeekEntry, QString> fromJson(const QJsonObject &object);
    bool operator==(const SyncPullStatsWeekEntry &) const = default;
};

// The stored form of `syncWeeklyChart`: a compact JSON array, members in field order.
QByteArray encodeWeeklyChart(const QList<SyncPullStatsWeekEntry> &weeks);
std::expected<QList<SyncPullStatsWeekEntry>, QString> decodeWeeklyChart(const QByteArray &data);

struct SyncPullBestDay
{
    QString date; // "year-month-day"
    qint64 dictations = 0;
    bool operator==(const SyncPullBestDay &) const = default;
};

struct SyncPullStatistics
{
    qint64 weekDictations = 0;
    qint64 weekWords = 0;
    qint64 currentStreak = 0;
    qint64 longestStreak = 0;
    qint64 thisMonthDictations = 0;
    qint64 last7DaysDictations = 0;
    std::optional<SyncPullBestDay> bestDay;
    // The newest kMaxWeeklyChartWeeks of the reply's weeks (oldest first):
    // what the chart draws; a longer list would only swell the settings file.
    QList<SyncPullStatsWeekEntry> weeklyChart;
    static constexpr qsizetype kMaxWeeklyChartWeeks = 8;
    qint64 weeklyUsed = 0;
    qint64 weeklyLimit = 0;
    qint64 hourlyUsed = 0;
    qint64 hourlyLimit = 0;

    QJsonObject toJsonObject() const;
    static std::expected<SyncPullStatistics, QString> fromJson(const QJsonObject &object);
    bool operator==(const SyncPullStatistics &) const = default;
};

struct SyncUserTotals
{
    qint64 totalDictations = 0;
    qint64 totalWords = 0;
    double totalDurationSeconds = 0;

    QJsonObject toJsonObject() const;
    static std::expected<SyncUserTotals, QString> fromJson(const QJsonObject &object);
    bool operator==(const SyncUserTotals &) const = default;
};

// The reply of `sync/pull`. Rows that cannot be decoded are left out and
// described in `problems`; a block that cannot be decoded is left out whole.
struct SyncPullResponse
{
    QList<SyncTranscriptionPayload> transcriptions;
    QList<SyncRulePayload> rules;
    QList<SyncDictionaryEntryPayload> dictionaryEntries;
    std::optional<SyncSettingsPayload> settings;
    std::optional<SyncPullStatistics> statistics;
    std::optional<SyncUserTotals> user;
    // Server time of this reply, the `since` of the next pull; none when the
    // reply's is no whole-millisecond time a qint64 holds (then the previous
    // one stays).
    std::optional<qint64> cursor;
    QStringList problems;

    QJsonObject toJsonObject() const;
    // Fails only when the reply is not an object of this shape at all.
    static std::expected<SyncPullResponse, QString> fromJson(const QJsonObject &object);
};

// The body of `sync/push`. The initial push sends the whole local history
// in several of these (see SyncManager).
struct SyncPushRequest
{
    QList<SyncTranscriptionPayload> transcriptions;
    QList<SyncRulePayload> rules;
    QList<SyncDictionaryEntryPayload> dictionaryEntries;
    std::optional<SyncSettingsPayload> settings;

    QByteArray toJson() const;
    // The members after "transcriptions", as JSON texts in order; `settings`
    // replaces the request's own block.
    QList<OrderedJson::Field> membersWithoutTranscriptions(const std::optional<SyncSettingsPayload> &settings) const;
    static std::expected<SyncPushRequest, QString> fromJson(const QJsonObject &object);
};
