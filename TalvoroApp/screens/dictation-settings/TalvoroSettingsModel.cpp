#include "screens/dictation-settings/TalvoroSettingsModel.h"

#include "account/SyncProviding.h"

#include "texts/Localization.h"
#include "texts/LocalizedTexts.h"
#include "platform/LiveCountQuery.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"
#include "transcription/StoreQueries.h"

using namespace talvoro;

namespace {

bool &flagOf(FormattingOptions &options, TalvoroSettingsModel::FormattingFlag flag)
{
    using Flag = TalvoroSettingsModel::FormattingFlag;
    switch (flag) {
    case Flag::addParagraphs: return options.addParagraphs;
    case Flag::removeFinalPeriod: return options.removeFinalPeriod;
    case Flag::formatDates: return options.formatDates;
    case Flag::formatTimes: return options.formatTimes;
    case Flag::formatLists: return options.formatLists;
    }
    Q_UNREACHABLE();
    return options.addParagraphs;
}

} // namespace

// The two live counts of the link rows; absent without a store.
struct TalvoroSettingsModel::Queries
{
    std::unique_ptr<LiveCountQuery<ReplacementRule>> activeRules;
    std::unique_ptr<LiveCountQuery<DictionaryEntry>> dictionaryEntries;
};

const std::array<TalvoroSettingsModel::FormattingSwitchRow, 5> &TalvoroSettingsModel::formattingSwitchRows()
{
    static const std::array<FormattingSwitchRow, 5> rows{{
        {"text.alignleft", QT_TRANSLATE_NOOP("Talvoro", "Parágrafos"), FormattingFlag::addParagraphs,
         "addParagraphsSwitch"},
        {"textformat.abc.dottedunderline", QT_TRANSLATE_NOOP("Talvoro", "Remover ponto final"),
         FormattingFlag::removeFinalPeriod, "removeFinalPeriodSwitch"},
        {"calendar", QT_TRANSLATE_NOOP("Talvoro", "Formatar datas"), FormattingFlag::formatDates,
         "formatDatesSwitch"},
        {"clock", QT_TRANSLATE_NOOP("Talvoro", "Formatar horários"), FormattingFlag::formatTimes,
         "formatTimesSwitch"},
        {"list.bullet", QT_TRANSLATE_NOOP("Talvoro", "Formatar listas"), FormattingFlag::formatLists,
         "formatListsSwitch"},
    }};
    return rows;
}

TalvoroSettingsModel::TalvoroSettingsModel(UserDefaultsProviding &settings, AppModelContainer *models,
                                           SyncProviding *sync, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_sync(sync)
    , m_queries(std::make_unique<Queries>())
{
    connect(&m_settings, &UserDefaultsProviding::changed, this, &TalvoroSettingsModel::settingChanged);
    if (models) {
        // Rules: only the enabled ones count. Terms: every language, no filter.
        m_queries->activeRules =
            std::make_unique<LiveCountQuery<ReplacementRule>>(*models, StoreQueries::enabledRules());
        m_queries->dictionaryEntries =
            std::make_unique<LiveCountQuery<DictionaryEntry>>(*models, FetchDescriptor<DictionaryEntry>{});
        connect(m_queries->activeRules.get(), &LiveCountQueryBase::changed, this,
                &TalvoroSettingsModel::countsChanged);
        connect(m_queries->dictionaryEntries.get(), &LiveCountQueryBase::changed, this,
                &TalvoroSettingsModel::countsChanged);
    }
}

TalvoroSettingsModel::~TalvoroSettingsModel() = default;

void TalvoroSettingsModel::settingChanged(const QString &changedKey)
{
    if (changedKey == SettingsKeys::transcriptionLanguage)
        Q_EMIT transcriptionLanguageChanged();
    else if (changedKey == SettingsKeys::translationEnabled)
        Q_EMIT translationEnabledChanged();
    else if (changedKey == SettingsKeys::translationTargetLanguage)
        Q_EMIT translationTargetLanguageChanged();
    else if (changedKey == SettingsKeys::formattingOptions)
        Q_EMIT formattingOptionsChanged();
}

void TalvoroSettingsModel::startPush()
{
    if (m_sync)
        m_sync->startSettingsPush();
}

QString TalvoroSettingsModel::transcriptionLanguage() const
{
    return m_settings.value(SettingsKeys::transcriptionLanguage);
}

std::optional<SupportedLanguage> TalvoroSettingsModel::selectedLanguage() const
{
    return supportedLanguageFromRawValue(transcriptionLanguage());
}

void TalvoroSettingsModel::selectLanguage(SupportedLanguage language)
{
    const QString code = rawValue(language);
    // Choosing the item already shown is no change, and pushes nothing.
    if (transcriptionLanguage() == code)
        return;
    m_settings.set(SettingsKeys::transcriptionLanguage, code);
    startPush();
}

bool TalvoroSettingsModel::translationEnabled() const
{
    return m_settings.value(SettingsKeys::translationEnabled);
}

void TalvoroSettingsModel::setTranslationEnabled(bool enabled)
{
    if (translationEnabled() == enabled)
        return;
    m_settings.set(SettingsKeys::translationEnabled, enabled);
    startPush();
}

QString TalvoroSettingsModel::translationTargetLanguage() const
{
    return m_settings.value(SettingsKeys::translationTargetLanguage);
}

std::optional<TranslationTarget> TalvoroSettingsModel::selectedTranslationTarget() const
{
    return translationTargetFromRawValue(translationTargetLanguage());
}

void TalvoroSettingsModel::selectTranslationTarget(TranslationTarget target)
{
    const QString code = rawValue(target);
    if (translationTargetLanguage() == code)
        return;
    m_settings.set(SettingsKeys::translationTargetLanguage, code);
    startPush();
}

FormattingOptions TalvoroSettingsModel::formattingOptions() const
{
    return FormattingOptions::loadFromUserDefaults(m_settings);
}

void TalvoroSettingsModel::editFormattingOptions(const std::function<void(FormattingOptions &)> &edit)
{
    // Start from what is stored now, not from what the screen showed when it
    // opened: a pull may have written newer options meanwhile.
    const FormattingOptions stored = formattingOptions();
    FormattingOptions edited = stored;
    edit(edited);
    if (edited == stored)
        return;
    // Saved before the push starts, so the push sends these values.
    edited.saveToUserDefaults(m_settings);
    startPush();
}

void TalvoroSettingsModel::selectTone(Tone tone)
{
    editFormattingOptions([tone](FormattingOptions &options) { options.tone = tone; });
}

bool TalvoroSettingsModel::formattingFlag(FormattingFlag flag) const
{
    FormattingOptions options = formattingOptions();
    return flagOf(options, flag);
}

void TalvoroSettingsModel::setFormattingFlag(FormattingFlag flag, bool value)
{
    editFormattingOptions([flag, value](FormattingOptions &options) { flagOf(options, flag) = value; });
}

qsizetype TalvoroSettingsModel::activeRuleCount() const
{
    return m_queries->activeRules ? m_queries->activeRules->count() : 0;
}

qsizetype TalvoroSettingsModel::termCount() const
{
    return m_queries->dictionaryEntries ? m_queries->dictionaryEntries->count() : 0;
}

QString TalvoroSettingsModel::ruleCountText(bool portuguese) const
{
    return localizedRuleCount(activeRuleCount(), portuguese);
}

QString TalvoroSettingsModel::termCountText(bool portuguese) const
{
    return localizedTermCount(termCount(), portuguese);
}

QCoro::Task<void> TalvoroSettingsModel::appear()
{
    if (m_settings.contains(SettingsKeys::transcriptionDomain))
        m_settings.remove(SettingsKeys::transcriptionDomain);
    if (!m_sync)
        co_return;
    // Nothing after this await touches the model, so the screen may close
    // while the pull runs.
    co_await m_sync->pullIfStale(kPullMinimumInterval);
}

QString TalvoroSettingsModel::toneDisplayName(Tone tone)
{
    switch (tone) {
    case Tone::colloquial: return localized(QT_TRANSLATE_NOOP("Talvoro", "Coloquial"));
    case Tone::natural: return localized(QT_TRANSLATE_NOOP("Talvoro", "Natural"));
    case Tone::formal: return localized(QT_TRANSLATE_NOOP("Talvoro", "Formal"));
    }
    return {};
}
