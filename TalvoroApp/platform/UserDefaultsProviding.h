#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariant>

// The settings-store interface every service reads and writes through.
// Each read takes the caller's default, returned when the key is absent,
// unreadable or of another type; no read ever fails.
class UserDefaultsProviding : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~UserDefaultsProviding() override = default;

    virtual bool contains(const QString &key) const = 0;

    virtual bool boolValue(const QString &key, bool defaultValue = false) const = 0;
    virtual qint64 int64Value(const QString &key, qint64 defaultValue = 0) const = 0;
    virtual quint64 uint64Value(const QString &key, quint64 defaultValue = 0) const = 0;
    virtual double doubleValue(const QString &key, double defaultValue = 0.0) const = 0;
    virtual QString stringValue(const QString &key, const QString &defaultValue = {}) const = 0;
    virtual QByteArray dataValue(const QString &key, const QByteArray &defaultValue = {}) const = 0;

    virtual void setBool(const QString &key, bool value) = 0;
    virtual void setInt64(const QString &key, qint64 value) = 0;
    virtual void setUInt64(const QString &key, quint64 value) = 0;
    virtual void setDouble(const QString &key, double value) = 0;
    virtual void setString(const QString &key, const QString &value) = 0;
    virtual void setData(const QString &key, const QByteArray &value) = 0;
    virtual void remove(const QString &key) = 0;

    // Values read when nothing is stored; never written to disk.
    virtual void registerDefaults(const QVariantMap &defaults) = 0;
    virtual bool synchronize() = 0;

Q_SIGNALS:
    // Emitted once for every write or removal that changes the stored value.
    void changed(const QString &key);
};
