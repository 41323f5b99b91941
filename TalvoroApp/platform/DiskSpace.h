#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace talvoro {

// Whether the disk holding `path` has less room left than `bytes` and a
// margin for the file system's own blocks: how a failed write whose error
// code is not at hand is told to be a full disk.
bool lacksSpaceFor(const QString &path, qint64 bytes);

} // namespace talvoro

// What could not be saved because the disk was full, as the services that
// keep the user's data report it (the composition root connects them). Each
// kind is published once a session, however many writes fail, so the shell
// says it once.
class DiskFullReports : public QObject
{
    Q_OBJECT
public:
    enum class Unsaved {
        history,        // the store: transcriptions, rules, terms
        settings,       // settings.ini
        pendingChanges, // the offline queue: changes not yet sent to the account
    };
    Q_ENUM(Unsaved)

    using QObject::QObject;

    void report(Unsaved what);
    // In the order they were first reported.
    QList<Unsaved> reported() const { return m_reported; }

Q_SIGNALS:
    void reportedFirstTime(DiskFullReports::Unsaved what);

private:
    QList<Unsaved> m_reported;
};
