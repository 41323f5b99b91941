#include "support/FakeSpellChecker.h"

QStringList FakeSpellChecker::availableLanguages() const
{
    std::lock_guard lock(m_mutex);
    ++m_languageListReads;
    return installed;
}

qsizetype FakeSpellChecker::firstMisspelledWordOffset(const QString &text,
                                                      const QString &language) const
{
    std::lock_guard lock(m_mutex);
    m_checkedLanguages.append(language);
    if (text.isEmpty() || acceptedWords.value(language).contains(text))
        return -1;
    return 0;
}

QStringList FakeSpellChecker::checkedLanguages() const
{
    std::lock_guard lock(m_mutex);
    return m_checkedLanguages;
}

int FakeSpellChecker::languageListReads() const
{
    std::lock_guard lock(m_mutex);
    return m_languageListReads;
}
