#pragma once

#include "screens/dictation-settings/SupportedLanguage.h"
#include "screens/dictation-settings/TranslationTarget.h"
#include "transcription/FormattingOptions.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <qcorotask.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class AppModelContainer;
class SyncProviding;
class UserDefaultsProviding;

// The rules of the dictation settings screen, without any widget: which item
// each picker shows for the stored keys, what every control writes, when a
// push starts, the two counts of the link rows and the start task.
//
// Every value is read from the settings store when asked, never kept, so a
// write from anywhere (another screen, a pull) shows at once. In particular
// each formatting edit starts from the options stored at that moment: a pull
// that changed another flag while the screen was open is kept, not
// overwritten by an older copy.
class TalvoroSettingsModel : public QObject
{
    Q_OBJECT
public:
    // Every screen asks for a pull when the last one is older than this.
    static constexpr int kPullMinimumInterval = 30;

    enum class FormattingFlag { addParagraphs, removeFinalPeriod, formatDates, formatTimes, formatLists };

    // One of the five switch rows of the transcription card.
    struct FormattingSwitchRow
    {
        const char *icon;
        const char *title; // Portuguese text, the key of its translation
        FormattingFlag flag;
        const char *objectName;
    };
    static const std::array<FormattingSwitchRow, 5> &formattingSwitchRows();

    // models may be null: the counts then stay 0; sync may be null: nothing
    // is pushed or pulled.
    TalvoroSettingsModel(UserDefaultsProviding &settings, AppModelContainer *models, SyncProviding *sync,
                         QObject *parent = nullptr);
    ~TalvoroSettingsModel() override;

    // Language picker. The stored code (default defaultTranscriptionLanguage());
    // a code that is none of the five choices selects nothing.
    QString transcriptionLanguage() const;
    std::optional<SupportedLanguage> selectedLanguage() const;
    void selectLanguage(SupportedLanguage language);

    // Translation card; the target row shows only while translation is on.
    bool translationEnabled() const;
    void setTranslationEnabled(bool enabled);
    bool showsTranslationTargetRow() const { return translationEnabled(); }
    QString translationTargetLanguage() const;
    std::optional<TranslationTarget> selectedTranslationTarget() const;
    void selectTranslationTarget(TranslationTarget target);

    // Formatting options as stored now (defaults when absent or unreadable).
    FormattingOptions formattingOptions() const;
    void selectTone(Tone tone);
    bool formattingFlag(FormattingFlag flag) const;
    void setFormattingFlag(FormattingFlag flag, bool value);

    // Counts of the two link rows: enabled rules only; terms of every language.
    qsizetype activeRuleCount() const;
    qsizetype termCount() const;
    QString ruleCountText(bool portuguese) const;
    QString termCountText(bool portuguese) const;

    // The start task, run each time the screen is shown: drop a stored
    // `transcriptionDomain` (the screen offers no domain choice), then await
    // pullIfStale(30). It never pushes.
    [[nodiscard]] QCoro::Task<void> appear();

    static QString toneDisplayName(Tone tone);

Q_SIGNALS:
    void transcriptionLanguageChanged();
    void translationEnabledChanged();
    void translationTargetLanguageChanged();
    void formattingOptionsChanged();
    void countsChanged();

private:
    void settingChanged(const QString &key);
    void editFormattingOptions(const std::function<void(FormattingOptions &)> &edit);
    void startPush();

    UserDefaultsProviding &m_settings;
    SyncProviding *m_sync;
    struct Queries;
    std::unique_ptr<Queries> m_queries;
};
