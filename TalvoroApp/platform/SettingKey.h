#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QString>

#include <string_view>
#include <type_traits>

// Whether the account carries a key: `yes` for the settings block, pushed and
// pulled; `pulled` for the account figures a pull writes and nothing pushes.
enum class Synced { no, yes, pulled };

// The name of a stored setting and whether it is synchronised, without its type.
struct SettingKeyBase
{
    const char *name;
    Synced synced;

    QString key() const { return QString::fromLatin1(name); }

    // For `UserDefaultsProviding::changed`: `if (changedKey == SettingsKeys::x)`.
    friend bool operator==(const QString &changedKey, const SettingKeyBase &key)
    {
        return changedKey == QLatin1String(key.name);
    }
};

// The default of a text setting: a fixed text, or one worked out when read.
struct TextDefault
{
    constexpr TextDefault(const char *text) : text(text) {}
    constexpr TextDefault(QString (*compute)()) : compute(compute) {}

    QString value() const { return compute ? compute() : QString::fromUtf8(text); }

    const char *text = "";
    QString (*compute)() = nullptr;
};

namespace detail {
template <typename T>
struct SettingDefault
{
    static_assert(std::is_same_v<T, bool> || std::is_same_v<T, qint64> || std::is_same_v<T, quint64>
                      || std::is_same_v<T, double>,
                  "a setting is a bool, qint64, quint64, double, QString or QByteArray");
    using Stored = T;
    static T value(T stored) { return stored; }
};
template <>
struct SettingDefault<QString>
{
    using Stored = TextDefault;
    static QString value(const TextDefault &stored) { return stored.value(); }
};
// Data settings are decoded by their owner, which knows what absent means.
template <>
struct SettingDefault<QByteArray>
{
    using Stored = const char *;
    static QByteArray value(const char *stored) { return QByteArray(stored); }
};
} // namespace detail

// One stored setting: its name, its type, its default and whether the
// account carries it. Declared once, in platform/SettingsKeys.h; the store's
// `value(key)` and `set(key, v)` read and write it.
template <typename T>
struct SettingKey : SettingKeyBase
{
    using Value = T;
    using Default = typename detail::SettingDefault<T>::Stored;

    constexpr SettingKey(const char *name, Default fallback, Synced synced = Synced::no)
        : SettingKeyBase{name, synced}, fallback(fallback)
    {
    }

    T defaultValue() const { return detail::SettingDefault<T>::value(fallback); }

    Default fallback;
};

namespace SettingsKeysCheck {
// True when no two keys of `keys` share a name.
template <std::size_t N>
constexpr bool namesAreUnique(const SettingKeyBase *const (&keys)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        for (std::size_t j = i + 1; j < N; ++j)
            if (std::string_view(keys[i]->name) == keys[j]->name)
                return false;
    return true;
}

// True when `carried` are exactly the keys of `all` flagged `synced`. Keys
// match by name (unique, see namesAreUnique): GCC 12 under
// -fsanitize=undefined cannot compare the addresses of two keys at compile time.
template <std::size_t N, std::size_t M>
constexpr bool carriesExactly(const SettingKeyBase *const (&carried)[N], const SettingKeyBase *const (&all)[M],
                              Synced synced)
{
    const auto contains = [](const auto &keys, const SettingKeyBase *key) {
        for (const SettingKeyBase *k : keys)
            if (std::string_view(k->name) == key->name)
                return true;
        return false;
    };
    for (const SettingKeyBase *key : all)
        if ((key->synced == synced) != contains(carried, key))
            return false;
    for (const SettingKeyBase *key : carried)
        if (!contains(all, key))
            return false;
    return true;
}
} // namespace SettingsKeysCheck
