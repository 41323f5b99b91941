#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonDocument>
#include <QString>
#include <QStringList>

#include <expected>

// Whole-file JSON persistence: a write replaces the file atomically (a crash
// leaves either the old or the new file, never half of one), and a file that
// cannot be parsed is moved aside under a timestamped name instead of being
// overwritten, so the user's data can still be recovered by hand. Files and
// their folder are the user's alone (0600 in 0700).
class AtomicJsonFile
{
public:
    enum class LoadStatus {
        missing,  // no file: start empty
        loaded,   // `document` holds the parsed file
        corrupt,  // not JSON; moved to `movedAsidePath` when that succeeded
        unreadable // exists but cannot be opened; left where it is
    };

    struct LoadResult
    {
        LoadStatus status = LoadStatus::missing;
        QJsonDocument document;
        QString error;          // parser or I/O message for the log
        QString movedAsidePath; // set when a corrupt file was moved aside
    };

    enum class Durability {
        // fsync before the rename: the new file survives a power cut once this returns.
        synced,
        // The bytes reach the kernel before the rename, so the new file
        // survives the process being killed at once; the fsync follows on a
        // worker thread, so a power cut may still lose the last writes. For
        // files written often from the UI thread, where an fsync would stall it.
        syncedInBackground,
    };

    // Writes `bytes` as the whole file, creating the parent folder. Every
    // write and the flush are checked; on any failure the old file stays.
    static std::expected<void, QString> writeBytes(const QString &path, const QByteArray &bytes,
                                                   Durability durability = Durability::synced);
    static std::expected<void, QString> write(const QString &path, const QJsonDocument &document,
                                              QJsonDocument::JsonFormat format = QJsonDocument::Indented);

    // Reads and parses the file; a corrupt one is moved aside.
    static LoadResult load(const QString &path);

    // Removes the temporary files of writes to `path` that never reached
    // their rename (the process was killed first); returns their paths.
    // Only for a file one process writes at a time.
    static QStringList removeStaleTemporaries(const QString &path);

    // Renames `path` to "<path>.corrupt-<yyyyMMdd-HHmmss>[-n]"; returns the new
    // path, or an error text when the rename failed (the file then stays).
    static std::expected<QString, QString> moveAside(const QString &path,
                                                     const QDateTime &now = QDateTime::currentDateTime());
};
