#pragma once

#include "navigation/AppEnvironment.h"
#include "platform/AppModelContainer.h"
#include "platform/SettingsKeys.h"
#include "platform/SettingsStore.h"
#include "texts/Localization.h"
#include "transcription/TranscriptionRecord.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QUuid>

#include <memory>

// A settings store on a file of its own in a temporary folder.
struct TemporarySettings
{
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> store;

    TemporarySettings()
        : store(std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("settings.ini"))))
    {
    }

    // Drops the in-memory state and reads the file again, as a restart would.
    void reopen()
    {
        store->synchronize();
        store = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("settings.ini")));
    }
};

// Settings and a store in one temporary folder, and an environment over both:
// what most screens need and nothing more.
struct TemporaryProfile : TemporarySettings
{
    AppModelContainer models{dir.filePath(QStringLiteral("TalvoroApp.store"))};
    AppEnvironment environment;

    TemporaryProfile()
    {
        environment.settings = store.get();
        environment.models = &models;
    }
};

// A moment in milliseconds since 1970, in UTC.
inline QDateTime at(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

// A Portuguese dictation of one word and a second, made at `createdAt`.
inline TranscriptionRecord dictation(const QString &text, const QDateTime &createdAt)
{
    return TranscriptionRecord(text, 1, 1.0, QStringLiteral("pt"), createdAt);
}

// A new client id, written as the account keeps ids.
inline QString newClientId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

// Writes `bytes` as the whole of the file at `path`.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The interface language for what follows, with its translations loaded.
inline void useLanguage(const QString &tag)
{
    talvoro::overridePreferredLanguages(QStringList{tag});
    talvoro::installTranslations();
}

// Collects every log line written while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString &text) const;
};
