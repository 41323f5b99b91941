#pragma once

#include "account/BackendAPIError.h"
#include "account/OfflineSyncQueue.h"
#include "account/SyncPayloads.h"

#include <QCoroTask>
#include <QPointer>
#include <QString>

#include <expected>

class BackendAPIClient;
class RequestCancellation;

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

// sync/pull is read as it arrives: PullStream.
// POST of one JSON body to a sync path. Success is only the path's documented
// reply, status 200 with `{"applied": bool}` (or the three counts of
// sync/push); any other reply, even a 2xx, is parseError. The success is
// whether the account took the row (always true for sync/push).
[[nodiscard]] QCoro::Task<std::expected<bool, BackendAPIError>>
post(BackendAPIClient &client, QString path, QByteArray body, QPointer<RequestCancellation> cancellation = nullptr);
bool isDocumentedReply(const QString &path, const QJsonObject &reply);

// Whether a failed push should be kept for a later try: the retryable errors,
// plus a reply that was not the backend's (parseError, a redirect).
bool isWorthRetrying(const BackendAPIError &error);

// The body of a transcription deletion.
QByteArray deleteTranscriptionBody(const QString &clientId, double deletedAtMs);

} // namespace SyncRequests
