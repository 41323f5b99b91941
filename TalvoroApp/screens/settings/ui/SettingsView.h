#pragma once

#include "navigation/AppEnvironment.h"
#include "navigation/Navigation.h"

#include <QWidget>

#include <functional>

namespace talvoro::ui {
class StyledLabel;
class ToggleSwitch;
}

namespace talvoro::settings {

class AccountAvatarLink;
class SettingsCardView;
class SettingsRowView;

// The root of the sidebar item "Ajustes": the account row, the two settings
// sheets, statistics and feedback, the updates card and the version.
class SettingsView : public QWidget
{
    Q_OBJECT
public:
    struct Actions
    {
        std::function<void(DetailRoute)> push;
        std::function<void(SettingsModal)> openSheet;
    };

    // Needs the environment's settings; without auth the user is signed
    // out, without an updater the updates card is left out.
    SettingsView(const AppEnvironment &environment, Actions actions, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildAccountCard();
    QWidget *buildSheetCard(const QString &objectName, const QString &icon, const QString &title,
                            SettingsModal modal);
    QWidget *buildStatsCard();
    QWidget *buildUpdatesCard();
    SettingsRowView *buildToggleRow(const QString &objectName, const QString &icon, const QString &title,
                                    ui::ToggleSwitch *&toggle);
    void rebuildAccountAvatar();
    void refreshAccount();
    void refreshUpdates();
    void push(DetailRoute route);

    AppEnvironment m_environment;
    Actions m_actions;
    QWidget *m_accountRow = nullptr;
    AccountAvatarLink *m_accountAvatar = nullptr;
    ui::StyledLabel *m_accountEmail = nullptr;
    QWidget *m_feedbackSeparator = nullptr;
    SettingsRowView *m_feedbackRow = nullptr;
    SettingsRowView *m_checkRow = nullptr;
    ui::ToggleSwitch *m_checksSwitch = nullptr;
    ui::ToggleSwitch *m_downloadsSwitch = nullptr;
    SettingsRowView *m_checksRow = nullptr;
    SettingsRowView *m_downloadsRow = nullptr;
};

} // namespace talvoro::settings
