#pragma once

#include "platform/SpellChecking.h"

#include <QByteArray>
#include <QSet>

#include <functional>
#include <map>
#include <mutex>

struct str_enchant_broker;
struct str_enchant_dict;

// The spell checker over libenchant-2 (hunspell dictionaries on Debian).
// Enchant's broker and dictionaries are not thread-safe, so one mutex
// serialises every call into enchant; the broker and each dictionary are
// opened once and kept for the life of the checker. A check costs
// microseconds, so callers on other threads wait very little.
class EnchantSpellChecker final : public SpellChecking
{
public:
    using LanguageLister = std::function<QStringList()>;

    // Lists the dictionaries enchant offers.
    EnchantSpellChecker();
    // Offers only what `installedLanguages` lists (tests choose the set of
    // installed dictionaries); checks still run in enchant's dictionaries.
    explicit EnchantSpellChecker(LanguageLister installedLanguages);
    ~EnchantSpellChecker() override;

    EnchantSpellChecker(const EnchantSpellChecker &) = delete;
    EnchantSpellChecker &operator=(const EnchantSpellChecker &) = delete;

    QStringList availableLanguages() const override;
    qsizetype firstMisspelledWordOffset(const QString &text,
                                        const QString &language) const override;

    // What enchant itself has installed, whatever the lister says.
    QStringList installedDictionaries() const;

private:
    // Both expect m_mutex to be held.
    bool ensureBroker() const;
    str_enchant_dict *dictionaryFor(const QByteArray &tag) const;

    LanguageLister m_installedLanguages;
    mutable std::mutex m_mutex;
    mutable str_enchant_broker *m_broker = nullptr;
    mutable bool m_brokerFailed = false;
    mutable std::map<QByteArray, str_enchant_dict *> m_dictionaries;
    mutable QSet<QByteArray> m_reportedMissing;
};
