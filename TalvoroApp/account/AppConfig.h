#pragma once

#include <QString>
#include <QUrl>

// Fixed configuration of the account layer, built once on first use.
namespace AppConfig {

// The backend's base URL, always ending in "/" so that paths append to it.
// The built-in default is the local stand-in backend's default address;
// the environment variable TALVORO_BACKEND_URL overrides it (scripts/run and
// the tests set it).
QUrl backendBaseURL();
inline constexpr const char *kBackendURLEnvironmentVariable = "TALVORO_BACKEND_URL";
inline constexpr const char *kDefaultBackendBaseURL = "http://127.0.0.1:8787/";

// Normalises a configured base text: trims it and adds the trailing "/".
// An invalid text gives the built-in default.
QUrl baseURLFromText(const QString &text);

QUrl termsOfUseURL();
QUrl privacyPolicyURL();

// The browser sign-in: the callback the authorisation page redirects to and
// the client identifier it is opened with.
QUrl signInCallbackURL();
inline constexpr const char *kCallbackScheme = "stovelantern-mac";
inline constexpr const char *kOAuthClientId = "talvoro-desktop";

} // namespace AppConfig
