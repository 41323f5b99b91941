#pragma once

#include <QLoggingCategory>
#include <QString>

#include <initializer_list>
#include <utility>

// One category per component, named "<bundle id>.<component>".
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcSettingsStore)

namespace talvoro {

inline constexpr const char *kBundleIdentifier = "com.torvenak.talvoro-mac";

// "[phase:<name>] key=value key=value" — the lines that tie one dictation,
// upload or sign-in together in the log.
QString phaseLine(const QString &phase,
                  std::initializer_list<std::pair<QString, QString>> fields = {});

// Installs the message pattern used by the application and the tests.
void installLogFormat();

} // namespace talvoro
