#include "account/AuthError.h"

#include "texts/LocalizedTexts.h"

using talvoro::localized;

QString AuthError::errorDescription() const
{
    switch (m_kind) {
    case Kind::networkError:
        return talvoro::networkErrorMessage(m_detail);
    case Kind::serverError:
        return talvoro::serverErrorMessage(m_code, m_detail);
    case Kind::cryptoError:
        return talvoro::encryptionErrorMessage(m_detail);
    case Kind::missingAuthorizationCode:
        return localized("Código de autorização não encontrado");
    case Kind::parseError:
        return localized("Erro ao processar resposta");
    case Kind::tokenExpired:
        return localized("Sessão expirada");
    case Kind::deviceCompromised:
        return localized("Este dispositivo foi modificado e não é compatível com o app por razões de segurança.");
    case Kind::unknownError:
        break;
    }
    return localized("Erro desconhecido");
}
