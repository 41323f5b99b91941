#pragma once

#include "navigation/AppEnvironment.h"
#include "navigation/Navigation.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class AvatarImageLoader;
class QComboBox;
class QScrollArea;
class TalvoroSettingsModel;
class UserDefaultsProviding;
class AvatarImageLoader;

namespace talvoro::ui {
class ToggleSwitch;
}
namespace talvoro::settings {
class SettingsRowView;
}

namespace talvoro::dictationsettings {
class CountBadge;
}

// The dictation settings screen (sidebar item `talvoroSettings`): the
// branded header, the transcription card (language, tone, the links to the
// rules and dictionary screens with their counts, five formatting switches)
// and the translation card, with the account avatar in its toolbar. Every
// rule lives in TalvoroSettingsModel; this only draws it and forwards input.
class TalvoroSettingsView : public QWidget
{
    Q_OBJECT
public:
    using PushRoute = std::function<void(DetailRoute)>;

    // The screen over the environment's services: settings store, store,
    // synchroniser (pushes and the pull on appearance), sign-in state and
    // avatar loader. The settings store is required.
    TalvoroSettingsView(const AppEnvironment &environment, PushRoute pushRoute, QWidget *parent = nullptr);
    // The screen over a model of the caller's (tests give it a fake synchroniser).
    TalvoroSettingsView(TalvoroSettingsModel *model, UserDefaultsProviding &settings, AuthManager *auth,
                        PushRoute pushRoute, QWidget *parent = nullptr);
    ~TalvoroSettingsView() override;

    TalvoroSettingsModel *model() const { return m_model; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void build();
    QWidget *buildToolbar();
    QWidget *buildTranscriptionCard();
    QWidget *buildTranslationCard();
    QWidget *buildTranslationSwitchRow();

    void refreshLanguage();
    void refreshTranslation();
    void refreshTarget();
    void refreshFormatting();
    void refreshCounts();

    TalvoroSettingsModel *m_model;
    UserDefaultsProviding &m_settings;
    QPointer<AuthManager> m_auth;
    AvatarImageLoader *m_avatarLoader = nullptr;
    PushRoute m_pushRoute;

    QScrollArea *m_scrollArea = nullptr;
    QComboBox *m_languagePicker = nullptr;
    QComboBox *m_tonePicker = nullptr;
    QComboBox *m_targetPicker = nullptr;
    talvoro::dictationsettings::CountBadge *m_ruleCount = nullptr;
    talvoro::dictationsettings::CountBadge *m_termCount = nullptr;
    QList<talvoro::ui::ToggleSwitch *> m_formattingSwitches;
    talvoro::ui::ToggleSwitch *m_translationSwitch = nullptr;
    QWidget *m_targetSeparator = nullptr;
    talvoro::settings::SettingsRowView *m_targetRow = nullptr;
};
