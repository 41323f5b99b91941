#include "platform/EnchantSpellChecker.h"

#include <QLoggingCategory>
#include <QTextBoundaryFinder>

#include <enchant.h>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcSpellChecker, "com.torvenak.talvoro-mac.SpellChecker")

// Enchant's tags already have the system checker's shape ("pt_BR", "fr");
// a provider that spells the region with a hyphen is brought to it.
QString languageName(const char *tag)
{
    return QString::fromUtf8(tag).replace(QLatin1Char('-'), QLatin1Char('_'));
}

bool containsLetter(QStringView segment)
{
    const QList<uint> scalars = segment.toUcs4();
    return std::any_of(scalars.begin(), scalars.end(),
                       [](uint scalar) { return QChar::isLetter(char32_t(scalar)); });
}

} // namespace

EnchantSpellChecker::EnchantSpellChecker() = default;

EnchantSpellChecker::EnchantSpellChecker(LanguageLister installedLanguages)
    : m_installedLanguages(std::move(installedLanguages))
{
}

EnchantSpellChecker::~EnchantSpellChecker()
{
    std::lock_guard lock(m_mutex);
    if (!m_broker)
        return;
    for (auto &[tag, dict] : m_dictionaries) {
        if (dict)
            enchant_broker_free_dict(m_broker, dict);
    }
    m_dictionaries.clear();
    enchant_broker_free(m_broker);
    m_broker = nullptr;
}

bool EnchantSpellChecker::ensureBroker() const
{
    if (m_broker)
        return true;
    if (m_brokerFailed)
        return false;
    m_broker = enchant_broker_init();
    if (!m_broker) {
        m_brokerFailed = true;
        qCWarning(lcSpellChecker) << "Spell checker unavailable: enchant could not start";
    }
    return m_broker != nullptr;
}

str_enchant_dict *EnchantSpellChecker::dictionaryFor(const QByteArray &tag) const
{
    if (auto it = m_dictionaries.find(tag); it != m_dictionaries.end())
        return it->second;
    if (!ensureBroker())
        return nullptr;
    EnchantDict *dict = enchant_broker_request_dict(m_broker, tag.constData());
    if (!dict) {
        // Not cached: the dictionary may be installed later.
        if (!m_reportedMissing.contains(tag)) {
            m_reportedMissing.insert(tag);
            const char *error = enchant_broker_get_error(m_broker);
            qCWarning(lcSpellChecker, "No dictionary for %s: %s", tag.constData(),
                      error ? error : "not installed");
        }
        return nullptr;
    }
    m_dictionaries.emplace(tag, dict);
    return dict;
}

QStringList EnchantSpellChecker::installedDictionaries() const
{
    std::lock_guard lock(m_mutex);
    QStringList names;
    if (!ensureBroker())
        return names;
    enchant_broker_list_dicts(
        m_broker,
        [](const char *const tag, const char *const, const char *const, const char *const,
           void *userData) {
            auto *list = static_cast<QStringList *>(userData);
            const QString name = languageName(tag);
            if (!list->contains(name))
                list->append(name);
        },
        &names);
    return names;
}

QStringList EnchantSpellChecker::availableLanguages() const
{
    if (m_installedLanguages)
        return m_installedLanguages();
    return installedDictionaries();
}

qsizetype EnchantSpellChecker::firstMisspelledWordOffset(const QString &text,
                                                         const QString &language) const
{
    // Like the system checker, the text is cut into words (Unicode word
    // boundaries, so "l'été" stays whole) and only segments holding a letter
    // are checked; spaces, punctuation and numbers never count as misspelled.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    const QByteArray tag = language.toUtf8();
    std::lock_guard lock(m_mutex);
    EnchantDict *dict = nullptr;
    bool dictionaryLooked = false;
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        const QStringView segment = QStringView(text).sliced(start, end - start);
        const qsizetype segmentStart = start;
        start = end;
        if (segment.isEmpty() || !containsLetter(segment))
            continue;
        if (!dictionaryLooked) {
            dict = dictionaryFor(tag);
            dictionaryLooked = true;
        }
        // A word that cannot be checked is not known to be right.
        if (!dict)
            return segmentStart;
        const QByteArray word = segment.toUtf8();
        const int result = enchant_dict_check(dict, word.constData(), word.size());
        if (result != 0) {
            if (result < 0)
                qCWarning(lcSpellChecker, "Spell check failed in %s: %s", tag.constData(),
                          enchant_dict_get_error(dict) ? enchant_dict_get_error(dict) : "unknown");
            return segmentStart;
        }
    }
    return -1;
}
