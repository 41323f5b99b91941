#include "account/SignInError.h"

#include "texts/Localization.h"

using talvoro::localized;

std::optional<QString> signInFailureText(const SignInError &error)
{
    if (const auto *auth = std::get_if<AuthError>(&error))
        return auth->errorDescription();
    if (const auto *browser = std::get_if<BrowserSessionError>(&error); browser && browser->isCancellation())
        return std::nullopt;
    if (const auto *keychain = std::get_if<SecretStoreError>(&error); keychain && keychain->unanswered)
        return localized("O chaveiro do sistema não respondeu. Verifique se ele está desbloqueado e tente "
                                  "novamente.");
    return talvoro::isPortuguese() ? QStringLiteral("Não foi possível entrar. Tente novamente.")
                                   : QStringLiteral("Couldn't sign in. Try again.");
}
