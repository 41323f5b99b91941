#pragma once

#include "texts/Localization.h"

#include <QString>

#include <array>
#include <cstddef>
#include <optional>

namespace talvoro {

// One case of a language enumeration: its stored code and its caption
// (marked with QT_TRANSLATE_NOOP where the table is written).
template<typename Enum>
struct CodedCase
{
    Enum value;
    const char *raw;
    const char *name;
};

// The table behind a language enumeration whose cases are listed in
// declaration order, so a case's index is its row.
template<typename Enum, std::size_t N>
struct CodeTable
{
    std::array<CodedCase<Enum>, N> rows;

    constexpr bool listsCasesInOrder() const
    {
        for (std::size_t i = 0; i < N; ++i) {
            if (static_cast<std::size_t>(rows[i].value) != i)
                return false;
        }
        return true;
    }

    const CodedCase<Enum> &row(Enum value) const { return rows[static_cast<std::size_t>(value)]; }
    QString rawValue(Enum value) const { return QString::fromLatin1(row(value).raw); }
    QString displayName(Enum value) const { return localized(row(value).name); }

    // Exact, case-sensitive; an unlisted code yields nothing.
    std::optional<Enum> fromRawValue(const QString &raw) const
    {
        for (const CodedCase<Enum> &candidate : rows) {
            if (raw == QLatin1String(candidate.raw))
                return candidate.value;
        }
        return std::nullopt;
    }
};

} // namespace talvoro
