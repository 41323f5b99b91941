#include "screens/home-history-stats/HomeDashboard.h"

#include "account/AuthManager.h"
#include "account/SyncProviding.h"
#include "look/AccentColorOption.h"
#include "platform/AppModelContainer.h"
#include "platform/SettingsKeys.h"
#include "platform/StartTask.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/settings/SettingsStyle.h"
#include "texts/DateTexts.h"
#include "texts/LocalizedTexts.h"

#include <algorithm>

namespace talvoro::home {

namespace {

constexpr double kCriticalShare = 0.9;
constexpr double kHighShare = 0.7;

UsageBlockFigures usageFigures(qint64 used, qint64 limit, bool portuguese)
{
    return {used, limit, usageFraction(used, limit), localizedCountOfTotal(used, limit, portuguese)};
}

} // namespace

QString weekRangeText(QDate today, bool portuguese)
{
    // Monday-based week; today is the last day shown, so Sunday is the
    // week's end and a Monday shows its own date twice.
    const QDate start = today.addDays(1 - today.dayOfWeek());
    const QLocale locale = textLocale(portuguese);
    return localizedDate(start, "dMMM", locale) + QStringLiteral(" – ") + localizedDate(today, "dMMM", locale);
}

QString weekRangeText(const QDateTime &now, bool portuguese)
{
    return weekRangeText(now.toLocalTime().date(), portuguese);
}

double usageFraction(qint64 used, qint64 limit)
{
    if (limit <= 0)
        return 0;
    return std::clamp(double(used) / double(limit), 0.0, 1.0);
}

QColor usageBarColor(double fraction, bool dark)
{
    if (fraction >= kCriticalShare)
        return AccentColorOption(AccentColorOption::orange).color(dark);
    if (fraction >= kHighShare)
        return AccentColorOption(AccentColorOption::yellow).color(dark);
    return {};
}

UsageBlockFigures weeklyUsageFigures(const UsageCounters &counters, bool portuguese)
{
    return usageFigures(counters.weeklyUsed, counters.effectiveWeeklyLimit().value_or(kDefaultWeeklyLimit),
                        portuguese);
}

UsageBlockFigures hourlyUsageFigures(const UsageCounters &counters, bool portuguese)
{
    return usageFigures(counters.hourlyUsed, counters.effectiveHourlyLimit().value_or(kDefaultHourlyLimit),
                        portuguese);
}

QString hourlyUsageTitle(bool portuguese)
{
    return portuguese ? QStringLiteral("Limite por hora") : QStringLiteral("Hourly limit");
}

QList<QuickStatColumn> quickStatColumns(qint64 weekDictations, qint64 weekWords, qint64 streak, bool portuguese)
{
    using settings::sectionHeaderText;
    QList<QuickStatColumn> columns{
        {QString::number(weekDictations), sectionHeaderText(localized("ditados"), portuguese), false},
        {QString::number(weekWords), sectionHeaderText(localized("palavras"), portuguese), false},
    };
    if (streak >= 1)
        columns.append({QString::number(streak),
                        sectionHeaderText(streak == 1 ? localized("dia") : localized("dias"), portuguese), true});
    return columns;
}

QList<QuickStatColumn> quickStatColumns(const UserDefaultsProviding &defaults, bool portuguese)
{
    using namespace SettingsKeys;
    return quickStatColumns(defaults.value(syncWeekDictations), defaults.value(syncWeekWords),
                            defaults.value(syncCurrentStreak), portuguese);
}

bool isQuickStatsKey(const QString &key)
{
    using namespace SettingsKeys;
    return key == syncWeekDictations || key == syncWeekWords || key == syncCurrentStreak;
}

bool isUsageKey(const QString &key)
{
    using namespace SettingsKeys;
    return key == weeklyUsed || key == weeklyLimit || key == hourlyUsed || key == hourlyLimit;
}

HomeRefresh::HomeRefresh(AuthManager *auth, SyncProviding *sync, AppModelContainer *models, QObject *owner)
    : QObject(owner)
    , m_auth(auth)
    , m_sync(sync)
    , m_models(models)
{
    if (auth)
        connect(auth, &AuthManager::isAuthenticatedChanged, this, &HomeRefresh::start);
}

bool HomeRefresh::isSignedIn() const
{
    return m_auth && m_auth->isAuthenticated();
}

void HomeRefresh::start()
{
    // Keyed by the sign-in state: a newer start supersedes the running one.
    ++m_generation;
    if (!isSignedIn() || !m_sync || !m_models)
        return;
    startTask(this, run(QPointer<HomeRefresh>(this), m_generation), "home refresh");
}

QCoro::Task<> HomeRefresh::run(QPointer<HomeRefresh> self, quint64 generation)
{
    auto drain = self->m_sync->drainOfflineQueue();
    co_await std::move(drain);
    // The screen went away or a newer refresh took over: no pull from here.
    if (!self || self->m_generation != generation || !self->isSignedIn())
        co_return;
    auto pull = self->m_sync->pull(self->m_models->mainContext());
    co_await std::move(pull);
}

} // namespace talvoro::home
