#pragma once

#include <QDateTime>

#include <chrono>
#include <optional>

// When a queued push is tried again after a retryable failure: 30 s after the
// first failure, doubling with each further one, at most one hour; never
// sooner than the server asked for (a rate limit's retry delay).
namespace SyncBackoff {

inline constexpr std::chrono::seconds kBaseDelay{30};
inline constexpr std::chrono::seconds kMaxDelay{3600};

// `retryCount` is the number of failures so far, the new one included (>= 1).
std::chrono::seconds delayForRetry(int retryCount,
                                   std::optional<std::chrono::seconds> serverDelay = std::nullopt);

QDateTime nextRetryTime(const QDateTime &now, int retryCount,
                        std::optional<std::chrono::seconds> serverDelay = std::nullopt);

} // namespace SyncBackoff
