#include "account/SignInError.h"

#include "texts/Localization.h"

std::optional<QString> signInFailureText(const SignInError &error)
{
    if (const auto *auth = std::get_if<AuthError>(&error))
        return auth->errorDescription();
    if (const auto *browser = std::get_if<BrowserSessionError>(&error); browser && browser->isCancellation())
        return std::nullopt;
    return talvoro::isPortuguese() ? QStringLiteral("Não foi possível entrar. Tente novamente.")
                                   : QStringLiteral("Couldn't sign in. Try again.");
}
