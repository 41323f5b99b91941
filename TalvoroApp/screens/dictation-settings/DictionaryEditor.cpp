#include "screens/dictation-settings/DictionaryEditor.h"

#include "account/SyncMerge.h"
#include "account/SyncPayloads.h"
#include "account/SyncProviding.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "platform/StartTask.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/dictation-settings/FormText.h"
#include "screens/home-history-stats/HistoryActions.h"
#include "screens/home-history-stats/HistorySearch.h"
#include "texts/Localization.h"

namespace talvoro::dictionary {

DictionaryEditor::DictionaryEditor(UserDefaultsProviding &settings, ModelContext &context,
                                   SyncProviding *sync, std::function<QDateTime()> now, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_context(&context)
    , m_sync(sync)
    , m_now(std::move(now))
    , m_query(new DictionaryEntriesQuery(*context.container(), StoreQueries::dictionaryEntriesByTerm(), this))
{
}

QString DictionaryEditor::activeLanguage() const
{
    // This screen's own default: "pt", not the locale's language.
    return m_settings.value(SettingsKeys::transcriptionLanguage, QString::fromLatin1(kDefaultActiveLanguage));
}

bool DictionaryEditor::dictionaryEnabled() const
{
    return m_settings.value(SettingsKeys::dictionaryEnabled);
}

void DictionaryEditor::setDictionaryEnabled(bool enabled)
{
    if (enabled == dictionaryEnabled())
        return;
    m_settings.set(SettingsKeys::dictionaryEnabled, enabled);
    // Only the user's own change is pushed: echoing a pulled value would
    // send this device's block with a new time over a newer one.
    if (m_sync)
        m_sync->startSettingsPush();
}

QStringList DictionaryEditor::availableLanguages() const
{
    return dictionary::availableLanguages(m_query->results());
}

QString DictionaryEditor::currentLanguage() const
{
    return dictionary::currentLanguage(m_selectedLanguage, availableLanguages(), activeLanguage());
}

std::vector<DictionaryEntry> DictionaryEditor::currentLanguageEntries() const
{
    const QString language = currentLanguage();
    std::vector<DictionaryEntry> entries;
    for (const DictionaryEntry &entry : m_query->results())
        if (entry.language == language)
            entries.push_back(entry);
    return entries;
}

bool DictionaryEditor::isShown(const DictionaryEntry &entry) const
{
    return entry.language == currentLanguage() && history::matchesSearch(entry.term, m_searchText);
}

bool DictionaryEditor::isShown(const QUuid &id) const
{
    const std::optional<DictionaryEntry> entry = m_query->find(id);
    return entry && isShown(*entry);
}

DictionaryEditor::Content DictionaryEditor::content() const
{
    const std::vector<DictionaryEntry> entries = currentLanguageEntries();
    if (entries.empty())
        return Content::empty;
    const bool anyShown = std::any_of(entries.begin(), entries.end(), [this](const DictionaryEntry &entry) {
        return history::matchesSearch(entry.term, m_searchText);
    });
    return anyShown ? Content::list : Content::noSearchResults;
}

void DictionaryEditor::selectLanguage(const QString &language)
{
    if (language == m_selectedLanguage)
        return;
    m_selectedLanguage = language;
    Q_EMIT stateChanged();
}

void DictionaryEditor::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    Q_EMIT stateChanged();
}

void DictionaryEditor::appeared()
{
    if (m_selectedLanguage.isEmpty())
        selectLanguage(initialLanguage(availableLanguages(), activeLanguage()));
    if (m_sync)
        startTask(this, m_sync->pullIfStale(talvoro::history::kPullMinimumInterval), "The dictionary pull");
}

bool DictionaryEditor::canAddTerm() const
{
    return qsizetype(currentLanguageEntries().size()) < kMaxTermsPerLanguage;
}

std::optional<DictionaryEntry> DictionaryEditor::editableEntry() const
{
    if (m_selection.size() != 1)
        return std::nullopt;
    const QUuid id = *m_selection.begin();
    for (const DictionaryEntry &entry : currentLanguageEntries())
        if (entry.id == id)
            return entry;
    return std::nullopt;
}

std::vector<DictionaryEntry> DictionaryEditor::selectedCurrentEntries() const
{
    std::vector<DictionaryEntry> entries;
    for (const DictionaryEntry &entry : currentLanguageEntries())
        if (m_selection.contains(entry.id))
            entries.push_back(entry);
    return entries;
}

void DictionaryEditor::requestSelectionDeletion()
{
    m_pending = selectedCurrentEntries();
    Q_EMIT stateChanged();
}

bool DictionaryEditor::requestDeleteCommand()
{
    std::vector<DictionaryEntry> entries = selectedCurrentEntries();
    if (entries.empty())
        return false;
    m_pending = std::move(entries);
    Q_EMIT stateChanged();
    return true;
}

void DictionaryEditor::requestEntryDeletion(const DictionaryEntry &entry)
{
    m_pending = {entry};
    Q_EMIT stateChanged();
}

void DictionaryEditor::confirmDelete()
{
    const std::vector<DictionaryEntry> pending = std::exchange(m_pending, {});
    for (const DictionaryEntry &entry : pending)
        deleteEntry(entry);
    for (const DictionaryEntry &entry : pending)
        m_selection.remove(entry.id);
    Q_EMIT stateChanged();
}

void DictionaryEditor::cancelDelete()
{
    m_pending.clear();
    Q_EMIT stateChanged();
}

void DictionaryEditor::deleteFromSheet(const DictionaryEntry &entry)
{
    deleteEntry(entry);
    m_selection.remove(entry.id);
    Q_EMIT stateChanged();
}

void DictionaryEditor::deleteRowsNow(const QList<QUuid> &ids)
{
    std::vector<DictionaryEntry> entries;
    for (const QUuid &id : ids)
        if (std::optional<DictionaryEntry> entry = m_query->find(id))
            entries.push_back(*entry);
    for (const DictionaryEntry &entry : entries)
        deleteEntry(entry);
}

void DictionaryEditor::deleteEntry(const DictionaryEntry &entry)
{
    if (!m_context)
        return;
    // The snapshot comes from the store as it was just before the removal.
    // An entry already gone here (a pull, another window) still sends its
    // tombstone, from the values the screen had: the account may hold it.
    std::expected<DictionaryEntry, StoreError> removed = m_context->remove<DictionaryEntry>(entry.id);
    DictionaryEntry snapshot = removed ? std::move(*removed) : entry;
    snapshot.updatedAt = m_now();
    if (m_sync)
        m_sync->startDictionaryEntryPush(SyncMerge::payloadFromEntry(snapshot, true));
}

TermForm::TermForm(DictionarySheetMode mode, QString defaultLanguage, QStringList availableLanguages)
    : m_mode(std::move(mode))
    , m_defaultLanguage(std::move(defaultLanguage))
    , m_availableLanguages(std::move(availableLanguages))
{
    if (m_mode.isEdit()) {
        term = m_mode.entry.term;
        m_defaultLanguage = m_mode.entry.language;
    }
}

QString TermForm::effectiveLanguage() const
{
    return selectedLanguage.isEmpty() ? m_defaultLanguage : selectedLanguage;
}

bool TermForm::canSave() const
{
    return !trimmedSpacesAndTabs(term).isEmpty();
}

QString TermForm::title() const
{
    return m_mode.isEdit() ? localized("Editar Termo") : localized("Novo Termo");
}

QString TermForm::saveButtonText() const
{
    return m_mode.isEdit() ? localized("Salvar") : localized("Adicionar");
}

TermForm::SaveResult TermForm::saveCounting(ModelContext &context, const std::function<qsizetype(const QString &)> &countIn,
                                            SyncProviding *sync, const QDateTime &now)
{
    const QString trimmed = trimmedSpacesAndTabs(term);
    if (trimmed.isEmpty())
        return SaveResult::nothing;
    const QString language = effectiveLanguage();
    const bool limitApplies = !m_mode.isEdit() || m_mode.entry.language != language;
    if (limitApplies && countIn(language) >= kMaxTermsPerLanguage)
        return SaveResult::limitReached;

    DictionaryEntry saved;
    if (m_mode.isEdit()) {
        auto modified = context.modify<DictionaryEntry>(m_mode.entry.id, [&](DictionaryEntry &entry) {
            entry.term = trimmed;
            entry.language = language;
            entry.updatedAt = now;
        });
        // Deleted meanwhile: an edit must not bring it back, here or on the
        // account.
        if (!modified)
            return SaveResult::gone;
        saved = std::move(*modified);
    } else {
        saved = context.insert(DictionaryEntry(trimmed, language, QStringLiteral("manual")));
    }
    if (sync)
        sync->startDictionaryEntryModelPush(saved);
    return SaveResult::saved;
}

} // namespace talvoro::dictionary
