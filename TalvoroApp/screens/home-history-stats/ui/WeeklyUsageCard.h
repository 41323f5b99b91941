#pragma once

#include <QPointer>
#include <QWidget>

class AuthManager;
class UserDefaultsProviding;

namespace talvoro::settings {
class UsageBlockView;
}

namespace talvoro::home {

// The weekly and hourly quota side by side, from the usage counters the
// pipeline and the pull store. Hidden, so taking no space, while signed out.
class WeeklyUsageCard : public QWidget
{
    Q_OBJECT
public:
    WeeklyUsageCard(AuthManager *auth, UserDefaultsProviding &defaults, QWidget *parent = nullptr);

    settings::UsageBlockView *weeklyBlock() const { return m_weekly; }
    settings::UsageBlockView *hourlyBlock() const { return m_hourly; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void refresh();
    void refreshVisibility();

    QPointer<AuthManager> m_auth;
    UserDefaultsProviding &m_defaults;
    settings::UsageBlockView *m_weekly;
    settings::UsageBlockView *m_hourly;
};

} // namespace talvoro::home
