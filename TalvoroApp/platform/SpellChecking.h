#pragma once

#include <QString>
#include <QStringList>

// The system spell checker: the names of the installed dictionaries and the
// check of one string in one of them. Language names are dictionary tags
// such as "pt_BR", "en_US", "es" or "fr" (language, underscore, region).
// Implementations must be safe to call from any thread.
class SpellChecking
{
public:
    virtual ~SpellChecking() = default;

    // Names of the installed dictionaries, read anew on every call.
    virtual QStringList availableLanguages() const = 0;

    // UTF-16 offset of the first misspelled word of `text` in `language`, or
    // -1 when there is none (a text without words has none).
    virtual qsizetype firstMisspelledWordOffset(const QString &text,
                                                const QString &language) const = 0;

    // The system's checker, the one the composition root made (enchant's).
    static SpellChecking &shared();
};
