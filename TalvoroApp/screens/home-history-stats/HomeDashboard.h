#pragma once

#include "transcription/UsageCounters.h"

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <qcorotask.h>

#include <functional>

class AppModelContainer;
class AuthManager;
class SyncProviding;
class UserDefaultsProviding;

// The home dashboard's rules: the week header, the usage and quick
// statistics figures, and the refresh that runs whenever the screen appears.
namespace talvoro::home {

// "1 de dez. – 7 de dez.": the Monday of `today`'s week to `today` itself
// (never a later day), by ICU skeleton "dMMM" in the language choice's locale.
QString weekRangeText(QDate today, bool portuguese);
// The same for the local calendar day of `now`.
QString weekRangeText(const QDateTime &now, bool portuguese);

// A stored weekly limit below 1 means the account reported none.
inline constexpr qint64 kDefaultWeeklyLimit = 70;
// The stand-in backend's hourly quota; shown when no hourly limit is stored.
inline constexpr qint64 kDefaultHourlyLimit = 60;

// `used / limit`, held to 0...1 (a negative counter reads as an empty bar).
double usageFraction(qint64 used, qint64 limit);

// Orange from 90 %, yellow from 70 %; below that an invalid colour, which
// the usage block draws in the accent colour.
QColor usageBarColor(double fraction, bool dark = false);

struct UsageBlockFigures
{
    qint64 used = 0;
    qint64 limit = 0;
    double fraction = 0;
    QString countText;
};
UsageBlockFigures weeklyUsageFigures(const UsageCounters &counters, bool portuguese);
UsageBlockFigures hourlyUsageFigures(const UsageCounters &counters, bool portuguese);
// Chosen in code, not looked up: "Limite por hora" / "Hourly limit".
QString hourlyUsageTitle(bool portuguese);

// One column of the quick statistics card.
struct QuickStatColumn
{
    QString value;   // plain digits, no grouping
    QString caption; // looked up, then upper-cased by the language choice
    bool streak = false;

    friend bool operator==(const QuickStatColumn &, const QuickStatColumn &) = default;
};
// Dictations and words; the streak only from one day on.
QList<QuickStatColumn> quickStatColumns(qint64 weekDictations, qint64 weekWords, qint64 streak, bool portuguese);
QList<QuickStatColumn> quickStatColumns(const UserDefaultsProviding &defaults, bool portuguese);

// The home dashboard's settings keys: a change of any of them redraws a card.
bool isQuickStatsKey(const QString &key);
bool isUsageKey(const QString &key);

// Drains the offline queue and then pulls into the main context, each time
// the screen is shown and each time the sign-in state changes; nothing while
// signed out or without a synchroniser and a store. A newer start or the end
// of the owner supersedes a running refresh before its pull.
class HomeRefresh : public QObject
{
    Q_OBJECT
public:
    HomeRefresh(AuthManager *auth, SyncProviding *sync, AppModelContainer *models, QObject *owner);

    void start();

private:
    static QCoro::Task<> run(QPointer<HomeRefresh> self, quint64 generation);
    bool isSignedIn() const;

    QPointer<AuthManager> m_auth;
    SyncProviding *m_sync;
    AppModelContainer *m_models;
    quint64 m_generation = 0;
};

} // namespace talvoro::home
