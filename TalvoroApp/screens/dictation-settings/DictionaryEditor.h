#pragma once

#include "screens/dictation-settings/DictionaryRules.h"
#include "transcription/StoreQueries.h"

#include <QObject>
#include <QPointer>
#include <QSet>

#include <vector>

class ModelContext;
class SyncProviding;
class UserDefaultsProviding;

namespace talvoro::dictionary {

// The personal dictionary screen without its widgets: the language shown, the
// search, the selection and every deletion path. The live query of all terms,
// the settings and the context belong to the environment; this object keeps
// only what lives as long as the screen.
class DictionaryEditor : public QObject
{
    Q_OBJECT
public:
    DictionaryEditor(UserDefaultsProviding &settings, ModelContext &context, SyncProviding *sync,
                     std::function<QDateTime()> now, QObject *parent = nullptr);

    DictionaryEntriesQuery &query() { return *m_query; }
    const DictionaryEntriesQuery &query() const { return *m_query; }

    QString activeLanguage() const;
    bool dictionaryEnabled() const;
    // The user's own switch: stores the value and pushes the settings once.
    void setDictionaryEnabled(bool enabled);

    QStringList availableLanguages() const;
    QString currentLanguage() const;
    std::vector<DictionaryEntry> currentLanguageEntries() const;
    // The row shows: in the current language and matching the search.
    bool isShown(const DictionaryEntry &entry) const;
    bool isShown(const QUuid &id) const;
    bool showsPicker() const { return availableLanguages().size() >= 2; }

    enum class Content { empty, noSearchResults, list };
    Content content() const;

    QString selectedLanguage() const { return m_selectedLanguage; }
    void selectLanguage(const QString &language);
    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);

    QSet<QUuid> selection() const { return m_selection; }
    void setSelection(const QSet<QUuid> &ids) { m_selection = ids; }

    // Appearing: the language picked once, then a pull when stale.
    void appeared();

    // Adding: false when the current language is full (the limit alert).
    bool canAddTerm() const;
    // The entry the pencil, Return and a lone selection edit, if any.
    std::optional<DictionaryEntry> editableEntry() const;

    // Deletion paths. The toolbar's trash asks for a confirmation whatever
    // matched; the Delete key only when something did (returns whether).
    void requestSelectionDeletion();
    bool requestDeleteCommand();
    void requestEntryDeletion(const DictionaryEntry &entry); // context menu
    const std::vector<DictionaryEntry> &pendingDeletion() const { return m_pending; }
    void confirmDelete();
    void cancelDelete();
    void deleteFromSheet(const DictionaryEntry &entry);
    // The list's own deletion, without confirmation: every id is resolved
    // before the first removal, since each removal shifts the shown rows.
    void deleteRowsNow(const QList<QUuid> &ids);

Q_SIGNALS:
    // The language, the search or the pending deletion changed.
    void stateChanged();

private:
    void deleteEntry(const DictionaryEntry &entry);
    std::vector<DictionaryEntry> selectedCurrentEntries() const;

    UserDefaultsProviding &m_settings;
    QPointer<ModelContext> m_context;
    SyncProviding *m_sync;
    std::function<QDateTime()> m_now;
    DictionaryEntriesQuery *m_query;
    QString m_selectedLanguage;
    QString m_searchText;
    QSet<QUuid> m_selection;
    std::vector<DictionaryEntry> m_pending;
};

// The term sheet without its widgets.
class TermForm
{
public:
    TermForm(DictionarySheetMode mode, QString defaultLanguage, QStringList availableLanguages);

    const DictionarySheetMode &mode() const { return m_mode; }
    QString term;
    // Empty until the user picks; an opening code outside the options stays
    // in effect until then.
    QString selectedLanguage;

    QString effectiveLanguage() const;
    QStringList languageOptions() const { return termLanguageOptions(m_availableLanguages); }
    bool canSave() const;
    QString title() const;
    QString saveButtonText() const;

    enum class SaveResult {
        nothing,      // empty term: the sheet stays
        limitReached, // the language is full: the alert, the sheet stays
        saved,        // written and pushed: the sheet closes
        gone,         // the edited entry no longer exists: nothing written, the sheet closes
    };
    template<class Entries>
    SaveResult save(ModelContext &context, const Entries &allEntries, SyncProviding *sync,
                    const QDateTime &now)
    {
        return saveCounting(context, [&](const QString &language) { return countInLanguage(allEntries, language); }, sync,
                    now);
    }

private:
    SaveResult saveCounting(ModelContext &context, const std::function<qsizetype(const QString &)> &countIn,
                    SyncProviding *sync, const QDateTime &now);

    DictionarySheetMode m_mode;
    QString m_defaultLanguage;
    QStringList m_availableLanguages;
};

} // namespace talvoro::dictionary
