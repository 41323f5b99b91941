#include "account/BackendAPIError.h"

#include "texts/LocalizedTexts.h"

#include <QDebug>

using talvoro::localized;

QString BackendAPIError::errorDescription() const
{
    switch (m_kind) {
    case Kind::rateLimited:
    case Kind::hourlyCapExceeded:
        return talvoro::rateLimitMessage(m_seconds);
    case Kind::uploadPreparationThrottled:
        return talvoro::uploadDelayedMessage(m_seconds);
    case Kind::weeklyCapExceeded:
        return talvoro::weeklyLimitReachedMessage(m_used, m_limit);
    case Kind::serverError:
        return talvoro::serverErrorMessage(m_status, m_message);
    case Kind::networkError:
        return talvoro::networkErrorMessage(m_message);
    case Kind::processingInProgress:
    case Kind::remoteRecoveryPending:
        return localized("O áudio ainda está sendo processado remotamente. Tente novamente em alguns segundos.");
    case Kind::notAuthenticated:
        return localized("Não autenticado");
    case Kind::fileNotFound:
        return localized("Arquivo de áudio não encontrado");
    case Kind::fileTooLarge:
        return localized("Arquivo muito grande para envio");
    case Kind::parseError:
        return localized("Erro ao processar resposta");
    case Kind::tokenRefreshFailed:
        return localized("Falha ao renovar sessão");
    case Kind::cancelled:
        break;
    }
    return localized("Operação cancelada");
}

bool BackendAPIError::isAuthenticationFailure() const
{
    return m_kind == Kind::notAuthenticated || m_kind == Kind::tokenRefreshFailed;
}

bool BackendAPIError::isRetryable() const
{
    switch (m_kind) {
    case Kind::rateLimited:
    case Kind::hourlyCapExceeded:
    case Kind::uploadPreparationThrottled:
    case Kind::networkError:
    case Kind::processingInProgress:
    case Kind::remoteRecoveryPending:
        return true;
    case Kind::serverError:
        // Timeouts, conflicts with a concurrent write and server faults pass;
        // a request the server refuses as malformed will be refused again.
        return m_status >= 500 || m_status == 408 || m_status == 409 || m_status == 425;
    default:
        return false;
    }
}

QDebug operator<<(QDebug debug, const BackendAPIError &error)
{
    QDebugStateSaver saver(debug);
    static constexpr const char *names[] = {
        "rateLimited", "hourlyCapExceeded", "uploadPreparationThrottled", "weeklyCapExceeded",
        "serverError", "networkError", "processingInProgress", "remoteRecoveryPending",
        "notAuthenticated", "fileNotFound", "fileTooLarge", "parseError", "tokenRefreshFailed",
        "cancelled"};
    debug.nospace() << "BackendAPIError(" << names[static_cast<int>(error.kind())];
    if (error.statusCode())
        debug << ", status " << error.statusCode();
    debug << ")";
    return debug;
}
