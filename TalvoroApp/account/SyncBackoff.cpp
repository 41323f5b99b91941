#include "account/SyncBackoff.h"

#include <algorithm>

namespace SyncBackoff {

std::chrono::seconds delayForRetry(int retryCount, std::optional<std::chrono::seconds> serverDelay)
{
    const int exponent = std::clamp(retryCount - 1, 0, 20);
    const std::chrono::seconds computed = std::min<std::chrono::seconds>(kBaseDelay * (qint64(1) << exponent), kMaxDelay);
    if (serverDelay && *serverDelay > computed)
        return std::min<std::chrono::seconds>(*serverDelay, std::chrono::seconds(24 * 3600));
    return computed;
}

QDateTime nextRetryTime(const QDateTime &now, int retryCount, std::optional<std::chrono::seconds> serverDelay)
{
    return now.addSecs(delayForRetry(retryCount, serverDelay).count());
}

} // namespace SyncBackoff
