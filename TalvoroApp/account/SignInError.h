#pragma once

#include "account/AuthError.h"
#include "platform/SecretStore.h"

#include <QString>

#include <optional>
#include <variant>

// How the browser session of a sign-in ended without a callback. Code 1 is
// the user's cancellation (also a sign-in left unanswered until it timed out
// or cancelled from the application); screens show nothing for it.
struct BrowserSessionError
{
    enum class Code { canceledLogin = 1, presentationContextNotProvided = 2, presentationContextInvalid = 3 };
    Code code = Code::canceledLogin;

    bool isCancellation() const { return code == Code::canceledLogin; }
};

// Everything AuthManager::signIn can end with: an AuthError (shown with its
// text), the browser session's own end (cancelled: nothing shown), or a
// keychain failure while storing the tokens (the generic sign-in text).
using SignInError = std::variant<AuthError, BrowserSessionError, SecretStoreError>;

// The text a screen shows for a failed sign-in: the AuthError's own
// description, nothing for a cancelled browser session (also the sign-in
// time-out), that the keychain did not answer when it did not, and the
// generic "Couldn't sign in" for anything else.
std::optional<QString> signInFailureText(const SignInError &error);
