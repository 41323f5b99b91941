#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <expected>
#include <optional>

namespace backendlocal {

// The usage limits a pull reports.
struct SyncLimits
{
    qint64 weeklyLimit = 500;
    qint64 hourlyLimit = 60;
};

// One account's synchronised data, as the stand-in backend keeps it: rows by
// client id (upper-case), each with the server time it last changed, so a
// pull can return what changed since its cursor. Last writer wins on the
// rows' `updatedAt`; deletions stay as rows with `isDeleted` true.
// Formats: docs/backend-api.md, section "Synchronisation".
class SyncAccount
{
public:
    using Limits = SyncLimits;

    // From and to the JSON the server persists per user.
    explicit SyncAccount(const QJsonObject &stored = {});
    QJsonObject toJson() const;

    // Each returns whether the row was taken (false: the stored row is newer),
    // or a message for a 400 reply.
    std::expected<bool, QString> pushRule(const QJsonObject &row, qint64 nowMs);
    std::expected<bool, QString> pushDictionaryEntry(const QJsonObject &row, qint64 nowMs);
    std::expected<bool, QString> pushTranscription(const QJsonObject &row, qint64 nowMs);
    std::expected<bool, QString> deleteTranscription(const QJsonObject &request, qint64 nowMs);
    std::expected<bool, QString> pushSettings(const QJsonObject &block, qint64 nowMs);
    // The whole history at once; a reply object with the counts taken.
    std::expected<QJsonObject, QString> pushAll(const QJsonObject &body, qint64 nowMs);

    // Rows changed after `sinceCursor`, the settings when they changed since,
    // statistics in `zone` at `nowMs`, the totals, and the new cursor. With
    // `kinds` ("rules", ...), the other row arrays are empty.
    QJsonObject pull(qint64 sinceCursor, const QTimeZone &zone, qint64 nowMs, Limits limits = {},
                     const QStringList &kinds = {}) const;

    int liveTranscriptionCount() const;
    std::optional<QJsonObject> rule(const QString &clientId) const;
    std::optional<QJsonObject> dictionaryEntry(const QString &clientId) const;
    std::optional<QJsonObject> transcription(const QString &clientId) const;
    std::optional<QJsonObject> settings() const;

private:
    struct Row
    {
        QJsonObject value;
        qint64 changedAt = 0;
    };
    using Table = QHash<QString, Row>;

    qint64 tick(qint64 nowMs);
    std::expected<bool, QString> upsert(Table &table, const QJsonObject &row, qint64 nowMs);
    QJsonObject statistics(const QTimeZone &zone, qint64 nowMs, Limits limits) const;
    QJsonObject totals() const;

    Table m_transcriptions;
    Table m_rules;
    Table m_dictionaryEntries;
    std::optional<Row> m_settings;
    qint64 m_clock = 0;
};

} // namespace backendlocal
