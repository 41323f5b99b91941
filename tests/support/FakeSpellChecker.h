#pragma once

#include "platform/SpellChecking.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <mutex>

// A spell checker with a chosen set of installed dictionaries and, per
// dictionary, the words it accepts (compared exactly). It records every
// question so tests can tell which dictionary was asked, and whether any was.
class FakeSpellChecker final : public SpellChecking
{
public:
    FakeSpellChecker() = default;
    FakeSpellChecker(QStringList installed, QHash<QString, QSet<QString>> acceptedWords = {})
        : installed(std::move(installed)), acceptedWords(std::move(acceptedWords))
    {
    }

    QStringList availableLanguages() const override;
    // The whole text is one word; an empty text has no misspelling.
    qsizetype firstMisspelledWordOffset(const QString &text,
                                        const QString &language) const override;

    QStringList checkedLanguages() const;
    int languageListReads() const;

    QStringList installed;
    QHash<QString, QSet<QString>> acceptedWords;

private:
    mutable std::mutex m_mutex;
    mutable QStringList m_checkedLanguages;
    mutable int m_languageListReads = 0;
};
