#pragma once

#include "account/BackendAPIError.h"
#include "account/OfflineSyncQueue.h"
#include "account/SyncPayloads.h"

#include <QCoroTask>
#include <QString>

#include <expected>

class BackendAPIClient;

// The synchronisation paths of the backend, each through the client's
// authorised retry (a 401 forces one token refresh and one more try).
namespace SyncRequests {

inline constexpr auto kPullPath = "sync/pull";
inline constexpr auto kPushPath = "sync/push";
inline constexpr auto kRulesPath = "sync/rules";
inline constexpr auto kDictionaryEntriesPath = "sync/dictionary-entries";
inline constexpr auto kTranscriptionsPath = "sync/transcriptions";
inline constexpr auto kSettingsPath = "sync/settings";

QString pathFor(OfflineSyncKind kind);

// POST sync/pull {"since": cursor, "timeZone": IANA id}; the decoded reply.
[[nodiscard]] QCoro::Task<std::expected<SyncPullResponse, BackendAPIError>> pull(BackendAPIClient &client, double since,
                                                                    QString timeZone);
// POST of one JSON body to a sync path; success is any 2xx reply.
[[nodiscard]] QCoro::Task<std::expected<void, BackendAPIError>> post(BackendAPIClient &client, QString path, QByteArray body);

// The body of a transcription deletion.
QByteArray deleteTranscriptionBody(const QString &clientId, double deletedAtMs);

} // namespace SyncRequests
