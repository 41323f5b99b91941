#pragma once

#include "platform/UserDefaultsProviding.h"

#include <QSettings>
#include <QTimer>

#include <memory>

// The standard user defaults: an INI file under the application's config
// folder. Values are kept as canonical text (data as raw bytes), so a value
// of the wrong type reads as absent rather than as garbage.
class SettingsStore final : public UserDefaultsProviding
{
    Q_OBJECT
public:
    explicit SettingsStore(const QString &filePath, QObject *parent = nullptr);
    ~SettingsStore() override;

    // The process-wide store (`sharedDefaults`) the composition root made.
    static SettingsStore &shared();
    // settings.ini in AppPaths::configDir(), the application's store.
    static QString applicationFilePath();

    QString filePath() const;

    using UserDefaultsProviding::contains;
    using UserDefaultsProviding::registerDefaults;
    using UserDefaultsProviding::remove;

    bool contains(const QString &key) const override;
    bool boolValue(const QString &key, bool defaultValue = false) const override;
    qint64 int64Value(const QString &key, qint64 defaultValue = 0) const override;
    quint64 uint64Value(const QString &key, quint64 defaultValue = 0) const override;
    double doubleValue(const QString &key, double defaultValue = 0.0) const override;
    QString stringValue(const QString &key, const QString &defaultValue = {}) const override;
    QByteArray dataValue(const QString &key, const QByteArray &defaultValue = {}) const override;

    void setBool(const QString &key, bool value) override;
    void setInt64(const QString &key, qint64 value) override;
    void setUInt64(const QString &key, quint64 value) override;
    void setDouble(const QString &key, double value) override;
    void setString(const QString &key, const QString &value) override;
    void setData(const QString &key, const QByteArray &value) override;
    void remove(const QString &key) override;

    void registerDefaults(const QVariantMap &defaults) override;
    // Writes pending changes, never waiting on the file's lock: while another
    // process holds settings.ini.lock, or a stale one cannot be removed, the
    // changes stay in memory, the failure is logged and a write is retried.
    bool synchronize() override;

Q_SIGNALS:
    // A write failed because the disk is full (each failed write says so).
    void writeFailedForLackOfSpace();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QVariant rawValue(const QString &key) const;
    void store(const QString &key, const QVariant &value);
    void scheduleSync();
    bool lockIsFree(QString *reason) const;
    void reportUnwritable(const QString &reason);

    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_registered;
    bool m_syncScheduled = false;
    bool m_pendingWrite = false;
    bool m_reportedUnwritable = false;
    QTimer m_retry;
};

// `sharedDefaults` of the application.
inline UserDefaultsProviding &sharedDefaults() { return SettingsStore::shared(); }
