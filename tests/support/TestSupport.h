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

#include <algorithm>
#include <memory>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

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

// Writes `value` under `key` in the setter its type calls for, as a pull
// writes what it received: table tests name a key and a value only.
inline void writeSetting(UserDefaultsProviding &settings, const QString &key, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool: settings.setBool(key, value.toBool()); break;
    case QMetaType::Double: settings.setDouble(key, value.toDouble()); break;
    case QMetaType::QString: settings.setString(key, value.toString()); break;
    case QMetaType::QByteArray: settings.setData(key, value.toByteArray()); break;
    default: settings.setInt64(key, value.toLongLong()); break;
    }
}

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

// A small disk of the test's own: a tmpfs over a temporary folder, in a
// mount namespace of this process (other processes never see it), unmounted
// at the end. Not mounted without the rights (root) that takes.
struct SmallDisk
{
    QTemporaryDir dir;
    bool isMounted = false;

    explicit SmallDisk(const char *size)
    {
        static const bool privateNamespace = ::getuid() == 0 && ::unshare(CLONE_NEWNS) == 0
            && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        isMounted = privateNamespace
            && ::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", 0,
                       QByteArray(QByteArray("size=") + size).constData())
                == 0;
    }
    ~SmallDisk()
    {
        if (isMounted)
            ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    }
    QString filePath(const QString &name) const { return dir.filePath(name); }

    // Takes every free byte but `leave` (rounded to the disk's pages);
    // free() gives them back.
    void fill(qint64 leave = 0)
    {
        const int fd = ::open(QFile::encodeName(filler()).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const QByteArray page(4096, 'f');
        while (::write(fd, page.constData(), page.size()) > 0) {
        }
        const off_t size = ::lseek(fd, 0, SEEK_END);
        if (leave > 0 && ::ftruncate(fd, std::max<off_t>(0, size - leave)) != 0)
            qWarning("could not give back room on the small disk");
        ::close(fd);
    }
    void free() { QFile::remove(filler()); }

private:
    QString filler() const { return dir.filePath(QStringLiteral(".filler")); }
};

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
