#pragma once

#include "platform/SettingKey.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariant>

// The settings-store interface every service reads and writes through.
// Each read gives a default when the key is absent, unreadable or of another
// type; no read ever fails. Code reads and writes the keys of
// platform/SettingsKeys.h through `value(key)` and `set(key, v)`, so each
// default is the one declared there; the text-named calls are what those
// run on, and what the store's own tests use.
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

    // The stored value of `key`, else a registered default, else the declared one.
    template <typename T>
    T value(const SettingKey<T> &key) const
    {
        return read<T>(key.key(), key.defaultValue());
    }
    // As above with the caller's default instead of the declared one.
    template <typename T>
    T value(const SettingKey<T> &key, const std::type_identity_t<T> &fallback) const
    {
        return read<T>(key.key(), fallback);
    }
    template <typename T>
    void set(const SettingKey<T> &key, const std::type_identity_t<T> &value)
    {
        const QString name = key.key();
        if constexpr (std::is_same_v<T, bool>)
            setBool(name, value);
        else if constexpr (std::is_same_v<T, qint64>)
            setInt64(name, value);
        else if constexpr (std::is_same_v<T, quint64>)
            setUInt64(name, value);
        else if constexpr (std::is_same_v<T, double>)
            setDouble(name, value);
        else if constexpr (std::is_same_v<T, QString>)
            setString(name, value);
        else
            setData(name, value);
    }
    bool contains(const SettingKeyBase &key) const { return contains(key.key()); }
    void remove(const SettingKeyBase &key) { remove(key.key()); }
    // Registers the declared defaults of `keys`, in memory only.
    template <typename... T>
    void registerDefaults(const SettingKey<T> &...keys)
    {
        registerDefaults(QVariantMap{{keys.key(), QVariant::fromValue(keys.defaultValue())}...});
    }

Q_SIGNALS:
    // Emitted once for every write or removal that changes the stored value.
    void changed(const QString &key);

private:
    template <typename T>
    T read(const QString &name, const T &fallback) const
    {
        if constexpr (std::is_same_v<T, bool>)
            return boolValue(name, fallback);
        else if constexpr (std::is_same_v<T, qint64>)
            return int64Value(name, fallback);
        else if constexpr (std::is_same_v<T, quint64>)
            return uint64Value(name, fallback);
        else if constexpr (std::is_same_v<T, double>)
            return doubleValue(name, fallback);
        else if constexpr (std::is_same_v<T, QString>)
            return stringValue(name, fallback);
        else
            return dataValue(name, fallback);
    }
};
