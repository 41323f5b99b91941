// The home screen: its rules without widgets, the view over a temporary
// profile, and the view over the real synchroniser signed in to the stand-in
// backend.
#include "account/SyncDefaults.h"
#include "account/SyncPayloads.h"
#include "account/SyncRequests.h"
#include "platform/ModelContext.h"
#include "screens/home-history-stats/HomeDashboard.h"
#include "screens/home-history-stats/ui/HomeView.h"
#include "screens/home-history-stats/ui/RecentTranscriptionsCard.h"
#include "screens/home-history-stats/ui/StatsQuickCard.h"
#include "screens/home-history-stats/ui/WeeklyUsageCard.h"
#include "screens/settings/CopyConfirmation.h"
#include "screens/settings/ui/AccountToolbarItem.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "screens/settings/ui/UsageBlockView.h"
#include "support/FakeSync.h"
#include "support/SyncTestSupport.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCoroTimer>
#include <QJsonDocument>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

using namespace talvoro;
using namespace talvoro::home;
using namespace std::chrono_literals;

namespace {

QCoro::Task<> recordAfter(QStringList *log, QString before, QString after, std::chrono::milliseconds delay)
{
    log->append(before);
    co_await QCoro::sleepFor(delay);
    log->append(after);
}

// A synchroniser that logs when each call starts and ends; the drain takes
// a while so that an early pull would show up in the log.
void recordInto(FakeSync &sync, QStringList *log)
{
    sync.onDrain = [log] { return recordAfter(log, QStringLiteral("drain"), QStringLiteral("drained"), 50ms); };
    sync.onPull = [log](ModelContext &) {
        return recordAfter(log, QStringLiteral("pull"), QStringLiteral("pulled"), 0ms);
    };
}

// What the quick statistics and the usage card show.
constexpr const SettingKeyBase *kCardKeys[] = {
    &SettingsKeys::syncWeekDictations, &SettingsKeys::syncWeekWords, &SettingsKeys::syncCurrentStreak,
    &SettingsKeys::weeklyUsed, &SettingsKeys::weeklyLimit, &SettingsKeys::hourlyUsed, &SettingsKeys::hourlyLimit};

QStringList texts(const QWidget *root, const QString &name)
{
    QStringList result;
    for (const QLabel *label : root->findChildren<QLabel *>(name))
        result.append(label->text());
    return result;
}

} // namespace

class TestHome : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useLanguage(QStringLiteral("pt-BR")); }

    void weekRangeRunsFromMondayToToday()
    {
        // Monday: the same date twice.
        QCOMPARE(weekRangeText(QDate(2026, 12, 7), true), QStringLiteral("7 de dez. – 7 de dez."));
        // Sunday closes the week that began six days earlier.
        QCOMPARE(weekRangeText(QDate(2026, 12, 13), true), QStringLiteral("7 de dez. – 13 de dez."));
        QCOMPARE(weekRangeText(QDate(2026, 12, 13), false), QStringLiteral("Dec 7 – Dec 13"));
        // A week that starts in the old year.
        QCOMPARE(weekRangeText(QDate(2027, 1, 1), true), QStringLiteral("28 de dez. – 1 de jan."));
        QCOMPARE(weekRangeText(QDate(2027, 1, 3), false), QStringLiteral("Dec 28 – Jan 3"));
    }

    void usageFiguresAndBarColours()
    {
        const auto weekly = [](qint64 used, qint64 limit, bool portuguese = true) {
            return weeklyUsageFigures(UsageCounters{used, limit, 0, 0}, portuguese);
        };
        // The thresholds are inclusive: 49 of 70 is yellow, 63 of 70 orange.
        QVERIFY(!usageBarColor(weekly(48, 70).fraction).isValid());
        QCOMPARE(usageBarColor(weekly(49, 70).fraction), usageBarColor(0.7));
        QCOMPARE(usageBarColor(weekly(62, 70).fraction), usageBarColor(0.7));
        QCOMPARE(usageBarColor(weekly(63, 70).fraction), usageBarColor(1.0));
        QVERIFY(usageBarColor(0.7) != usageBarColor(0.9));

        // No stored limit: 70 a week, 60 an hour; over the limit the bar is
        // full while the text keeps the real figures.
        QCOMPARE(weekly(0, 0).countText, QStringLiteral("0 de 70"));
        QCOMPARE(weekly(75, -3).countText, QStringLiteral("75 de 70"));
        QCOMPARE(weekly(75, -3).fraction, 1.0);
        QCOMPARE(weekly(1500, 2000, false).countText, QStringLiteral("1,500 of 2,000"));
        QCOMPARE(weekly(1500, 2000, true).countText, QStringLiteral("1.500 de 2.000"));
        QCOMPARE(hourlyUsageFigures(UsageCounters{0, 0, 6, 0}, false).countText, QStringLiteral("6 of 60"));
        // A negative counter is an empty bar, not a negative one.
        QCOMPARE(weekly(-5, 70).fraction, 0.0);
        QVERIFY(!usageBarColor(weekly(-5, 70).fraction).isValid());
    }

    void quickStatColumnsShowTheStreakFromOneDay()
    {
        const QList<QuickStatColumn> none = quickStatColumns(0, 0, 0, true);
        QCOMPARE(none, (QList<QuickStatColumn>{{QStringLiteral("0"), QStringLiteral("DITADOS"), false},
                                               {QStringLiteral("0"), QStringLiteral("PALAVRAS"), false}}));
        const QList<QuickStatColumn> one = quickStatColumns(3, 12345, 1, true);
        QCOMPARE(one.size(), 3);
        QCOMPARE(one[1].value, QStringLiteral("12345"));
        QCOMPARE(one[2], (QuickStatColumn{QStringLiteral("1"), QStringLiteral("DIA"), true}));
        QCOMPARE(quickStatColumns(3, 4, 2, true).last().caption, QStringLiteral("DIAS"));
        // The captions are looked up; the case follows the language choice.
        useLanguage(QStringLiteral("en"));
        QCOMPARE(quickStatColumns(3, 4, 2, false).last().caption, QStringLiteral("DAYS"));
        useLanguage(QStringLiteral("pt-BR"));
    }

    // A pull writes one key at a time: each the cards observe, changed alone,
    // shows at once.
    void eachObservedKeyAloneRedrawsTheCards_data()
    {
        QTest::addColumn<QString>("key");
        for (const SettingKeyBase *key : kCardKeys)
            QTest::addRow("%s", qPrintable(key->key())) << key->key();
    }
    void eachObservedKeyAloneRedrawsTheCards()
    {
        QFETCH(QString, key);
        TemporarySettings settings;
        for (const SettingKeyBase *figure : kCardKeys)
            settings.store->setInt64(figure->key(), 20);
        QWidget cards;
        auto *layout = new QVBoxLayout(&cards);
        layout->addWidget(new StatsQuickCard(*settings.store));
        layout->addWidget(new WeeklyUsageCard(nullptr, *settings.store));
        const QStringList before = texts(&cards, {});
        settings.store->setInt64(key, 30);
        QVERIFY(texts(&cards, {}) != before);
    }

    void refreshDrainsThenPullsOnlyWhileSignedIn()
    {
        LocalBackend backend;
        AuthHarness harness(backend.baseURL());
        TemporaryProfile profile;
        QStringList log;
        FakeSync sync;
        recordInto(sync, &log);
        QObject owner;
        auto *refresh = new HomeRefresh(harness.auth.get(), &sync, &profile.models, &owner);

        // Signed out: nothing at all.
        refresh->start();
        QVERIFY(log.isEmpty());

        // Signing in runs it, the pull only once the drain is done.
        QVERIFY(harness.signIn());
        const QStringList once{QStringLiteral("drain"), QStringLiteral("drained"), QStringLiteral("pull"),
                               QStringLiteral("pulled")};
        QTRY_COMPARE(log, once);

        // Every showing runs it again.
        log.clear();
        refresh->start();
        QTRY_COMPARE(log, once);

        // A screen that goes away during the drain is not pulled for.
        log.clear();
        refresh->start();
        QCOMPARE(log, QStringList{QStringLiteral("drain")});
        delete refresh;
        // A pull would follow "drained" in the same turn.
        QTRY_COMPARE(log, (QStringList{QStringLiteral("drain"), QStringLiteral("drained")}));

        // Signing out stops a running refresh before its pull.
        log.clear();
        refresh = new HomeRefresh(harness.auth.get(), &sync, &profile.models, &owner);
        refresh->start();
        harness.auth->signOut();
        QTRY_COMPARE(log, (QStringList{QStringLiteral("drain"), QStringLiteral("drained")}));
    }
    void signedOutShowsTheWeekAndTheNewestTranscriptions()
    {
        TemporaryProfile profile;
        QDateTime now(QDate(2026, 12, 9), QTime(10, 0));
        profile.environment.now = [&now] { return now; };
        QList<NavigationDestination> pushed;
        FakeSync sync;
        profile.environment.syncProvider = &sync;
        HomeView view(profile.environment, [&](const NavigationDestination &d) { pushed.append(d); });
        view.resize(900, 1000);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(sync.calls.isEmpty());

        QCOMPARE(texts(&view, QStringLiteral("weekTitle")), QStringList{QStringLiteral("ESTA SEMANA")});
        QCOMPARE(texts(&view, QStringLiteral("weekRange")), QStringList{QStringLiteral("7 DE DEZ. – 9 DE DEZ.")});
        // Left open into the next week, the next drawing shows the new range.
        now = QDateTime(QDate(2026, 12, 14), QTime(0, 5));
        view.findChild<QLabel *>(QStringLiteral("weekRange"))->repaint();
        QCOMPARE(texts(&view, QStringLiteral("weekRange")), QStringList{QStringLiteral("14 DE DEZ. – 14 DE DEZ.")});
        QVERIFY(!view.findChild<WeeklyUsageCard *>()->isVisible());
        QVERIFY(!view.findChild<settings::AccountAvatarLink *>());
        QVERIFY(view.findChild<QWidget *>(QStringLiteral("recentEmptyState"))->isVisible());
        // Everything fits: no scroll bar.
        QVERIFY(!view.findChild<QScrollArea *>(QStringLiteral("homeScroll"))->verticalScrollBar()->isVisible());

        // The whole quick card opens the statistics, by mouse and by keyboard.
        auto *card = view.findChild<StatsQuickCard *>();
        QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(4, 4));
        card->setFocus();
        QTest::keyClick(card, Qt::Key_Space);
        QCOMPARE(pushed, (QList<NavigationDestination>{DetailRoute::statsDetail, DetailRoute::statsDetail}));
        profile.store->setInt64(SettingsKeys::syncCurrentStreak.key(), 1);
        QCOMPARE(texts(card, QStringLiteral("quickStatCaption")).last(), QStringLiteral("DIA"));

        // Five records: the three newest, separators between them only.
        for (int i = 0; i < 5; ++i)
            profile.models.mainContext().insert(TranscriptionRecord(QStringLiteral("texto %1").arg(i), 2, 3.0,
                                                               QStringLiteral("pt"),
                                                               QDateTime(QDate(2026, 12, 9), QTime(9, i), Qt::UTC)));
        QVERIFY(profile.models.mainContext().save());
        auto *recent = view.findChild<RecentTranscriptionsCard *>();
        QTRY_COMPARE(recent->findChildren<QWidget *>(QStringLiteral("recentTranscriptionRow")).size(), 3);
        QCOMPARE(recent->findChildren<settings::SettingsSeparator *>().size(), 2);
        QVERIFY(!view.findChild<QWidget *>(QStringLiteral("recentEmptyState"))->isVisible());

        // Each row copies its own text and has its own confirmation.
        const auto buttons = recent->findChildren<QAbstractButton *>(QStringLiteral("recentCopyButton"));
        QTest::mouseClick(buttons[1], Qt::LeftButton);
        const QStringList copied{QApplication::clipboard()->text()};
        QVERIFY(copied.first().startsWith(QStringLiteral("texto ")));
        QVERIFY(buttons[1]->findChild<settings::CopyConfirmation *>()->isShown());
        QVERIFY(!buttons[0]->findChild<settings::CopyConfirmation *>()->isShown());
    }

    void signedInShowingDrainsBeforeItPullsFromTheBackend()
    {
        AccountServices services;
        QVERIFY(services.harness.signIn());

        // Two dictations on the account; the offline queue holds the
        // deletion of one. Only a drain before the pull counts one.
        const double nowMs = SyncTime::msFromDate(QDateTime::currentDateTimeUtc()) - 1000;
        const QString kept = newClientId();
        const QString deleted = newClientId();
        backendlocal::SyncAccount account = services.account();
        QVERIFY(account.pushTranscription(SyncTranscriptionPayload{kept, "fica", nowMs, 4, 2.0, "pt", nowMs, false}
                                              .toJsonObject(), 1).has_value());
        QVERIFY(account.pushTranscription(SyncTranscriptionPayload{deleted, "sai", nowMs, 3, 2.0, "pt", nowMs, false}
                                              .toJsonObject(), 2).has_value());
        services.storeAccount(account);
        services.queue->enqueue(OfflineSyncKind::deleteTranscription,
                                QJsonDocument::fromJson(SyncRequests::deleteTranscriptionBody(deleted, nowMs)).object());

        HomeView view(services.environment, {});
        view.resize(900, 1000);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QTRY_VERIFY(services.sync->lastSyncDate().has_value());
        QTRY_VERIFY(!services.sync->isSyncing());
        QCOMPARE(services.queue->count(), 0);
        auto *card = view.findChild<StatsQuickCard *>();
        QCOMPARE(texts(card, QStringLiteral("quickStatValue")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("1")}));
        auto *usage = view.findChild<WeeklyUsageCard *>();
        QVERIFY(usage->isVisible());
        QCOMPARE(usage->weeklyBlock()->countLabel()->text(), QStringLiteral("1 de 500"));
        QCOMPARE(usage->hourlyBlock()->countLabel()->text(), QStringLiteral("1 de 60"));
        QVERIFY(view.findChild<settings::AccountAvatarLink *>());
        auto *recent = view.findChild<RecentTranscriptionsCard *>();
        QTRY_COMPARE(recent->findChildren<QWidget *>(QStringLiteral("recentTranscriptionRow")).size(), 1);

        // Signing out removes the usage card at once.
        services.harness.auth->signOut();
        QVERIFY(!usage->isVisible());
    }
};

QTEST_MAIN(TestHome)
#include "tst_Home.moc"
