#pragma once

#include "platform/ModelStoreTypes.h"
#include "platform/ModelValues.h"
#include "platform/SqliteDatabase.h"

#include <cmath>
#include <limits>
#include <tuple>
#include <type_traits>

// One column of a model's table: its field, its name (the field's name) and
// the member holding it. The member's type decides how the value is stored,
// compared and sorted (the helpers below).
template<class T, class V>
struct ModelField
{
    typename T::Field field;
    const char *column;
    V T::*member;
};

// Each persistent model (a plain value record with a `QUuid id` and an enum
// `Field`) describes its table next to itself:
//   template<> struct ModelSchema<X> {
//       static constexpr const char *table = "xs";
//       static constexpr std::tuple fields{ModelField{X::Field::id, "id", &X::id}, ...};
//   };
// listing every column in Field order, id first. ModelTraits<X> derives the
// rest from that table.
template<class T>
struct ModelSchema;

// A column that is not a model field but is written with every insert, as an
// SQL function of one field (a schema lists it as `derived`). Written in the
// INSERT itself, the row is stored once instead of once more by a trigger.
template<class T>
struct DerivedColumn
{
    const char *column;
    const char *function;
    typename T::Field argument;
};

namespace talvoro::store::detail {

inline void readColumn(const SqliteStatement &s, int column, QUuid &value) { value = s.columnUuid(column); }
inline void readColumn(const SqliteStatement &s, int column, QString &value) { value = s.columnText(column); }
inline void readColumn(const SqliteStatement &s, int column, qint64 &value) { value = s.columnInt64(column); }
inline void readColumn(const SqliteStatement &s, int column, bool &value) { value = s.columnBool(column); }
inline void readColumn(const SqliteStatement &s, int column, ModelDate &value) { value = s.columnDate(column); }
inline void readColumn(const SqliteStatement &s, int column, double &value)
{
    // NULL is how SQLite keeps a NaN.
    value = s.isNull(column) ? std::numeric_limits<double>::quiet_NaN() : s.columnDouble(column);
}

inline void bindValue(SqliteStatement &s, int index, const QUuid &value) { s.bindUuid(index, value); }
inline void bindValue(SqliteStatement &s, int index, const QString &value) { s.bindText(index, value); }
inline void bindValue(SqliteStatement &s, int index, qint64 value) { s.bindInt64(index, value); }
inline void bindValue(SqliteStatement &s, int index, bool value) { s.bindBool(index, value); }
inline void bindValue(SqliteStatement &s, int index, const ModelDate &value) { s.bindDate(index, value); }
inline void bindValue(SqliteStatement &s, int index, double value) { s.bindDouble(index, value); }

template<class V>
bool valuesEqual(const V &a, const V &b)
{
    if constexpr (std::is_floating_point_v<V>)
        return a == b || (std::isnan(a) && std::isnan(b)); // both stored as NULL
    else
        return a == b;
}

// The order the store sorts by: the same in SQL and in memory for every type
// but texts, which only sort in memory (by collation).
template<class V>
int compareValues(const V &a, const V &b)
{
    if constexpr (std::is_same_v<V, QString>) {
        return compareLocalizedStandard(a, b);
    } else if constexpr (std::is_same_v<V, ModelDate>) {
        return compareDates(a, b);
    } else if constexpr (std::is_same_v<V, QUuid>) {
        return compareIds(a, b);
    } else if constexpr (std::is_floating_point_v<V>) {
        // NaN is kept as NULL, which SQL orders first.
        if (std::isnan(a) || std::isnan(b))
            return compareNumbers(!std::isnan(a), !std::isnan(b));
        return compareNumbers(a, b);
    } else {
        return compareNumbers(a, b);
    }
}

template<class Fields>
constexpr bool listedInFieldOrder(const Fields &fields)
{
    return std::apply([](const auto &...field) {
        int index = 0;
        return ((static_cast<int>(field.field) == index++) && ...);
    }, fields);
}

} // namespace talvoro::store::detail

// What the store needs of a model, derived from its ModelSchema.
template<class T>
struct ModelTraits
{
    using Schema = ModelSchema<T>;
    using Field = typename T::Field;
    static constexpr const char *table = Schema::table;
    static constexpr int fieldCount = int(std::tuple_size_v<std::remove_cvref_t<decltype(Schema::fields)>>);

    static const char *column(Field field)
    {
        const char *name = nullptr;
        withField(field, [&](const auto &f) { name = f.column; });
        return name;
    }
    static QUuid id(const T &model) { return model.id; }
    static void setId(T &model, const QUuid &id) { model.id = id; }

    // Reads a row selected with every column in field order.
    static T read(const SqliteStatement &statement)
    {
        T model;
        forEachField([&](int column, const auto &f) {
            talvoro::store::detail::readColumn(statement, column, model.*f.member);
        });
        return model;
    }
    static void bind(SqliteStatement &statement, int index, const T &model, Field field)
    {
        withField(field, [&](const auto &f) { talvoro::store::detail::bindValue(statement, index, model.*f.member); });
    }
    static bool fieldEquals(Field field, const T &a, const T &b)
    {
        bool equal = true;
        withField(field, [&](const auto &f) { equal = talvoro::store::detail::valuesEqual(a.*f.member, b.*f.member); });
        return equal;
    }
    static void copyField(Field field, T &to, const T &from)
    {
        withField(field, [&](const auto &f) { to.*f.member = from.*f.member; });
    }
    // Texts sort in memory: SQL would order them byte by byte, not as the
    // app's language does.
    static bool sortsInSql(Field field)
    {
        bool inSql = true;
        withField(field, [&]<class V>(const ModelField<T, V> &) { inSql = !std::is_same_v<V, QString>; });
        return inSql;
    }
    static int compare(Field field, const T &a, const T &b)
    {
        int result = 0;
        withField(field, [&](const auto &f) {
            result = talvoro::store::detail::compareValues(a.*f.member, b.*f.member);
        });
        return result;
    }

private:
    template<class Fn>
    static void forEachField(Fn &&fn)
    {
        std::apply([&](const auto &...fields) {
            int index = 0;
            (fn(index++, fields), ...);
        }, Schema::fields);
    }
    template<class Fn>
    static void withField(Field field, Fn &&fn)
    {
        forEachField([&](int index, const auto &f) {
            if (index == static_cast<int>(field))
                fn(f);
        });
    }
    static_assert(talvoro::store::detail::listedInFieldOrder(Schema::fields),
                  "a model's fields must be listed in Field order, id first");
};
