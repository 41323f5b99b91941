// Every member of the synchronised settings, not one of them: each
// formatting switch writes its own flag, the settings block carries each
// setting under its own key with a value that is not the default, and a
// setting removed reaches the file as a set one does.
#include "account/SyncDefaults.h"
#include "account/SyncPayloads.h"
#include "look/ui/ToggleSwitch.h"
#include "screens/dictation-settings/TalvoroSettingsModel.h"
#include "screens/dictation-settings/ui/DictionaryView.h"
#include "screens/dictation-settings/ui/ReplacementRulesView.h"
#include "screens/dictation-settings/ui/TalvoroSettingsView.h"
#include "support/FakeSync.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <qcorotask.h>

using namespace talvoro;
using talvoro::ui::ToggleSwitch;

namespace {

// The formatting options as the settings file holds them.
QJsonObject storedOptions(const UserDefaultsProviding &settings)
{
    return QJsonDocument::fromJson(settings.dataValue(QStringLiteral("formattingOptions"))).object();
}

QJsonObject allFlagsOn()
{
    return {{"tone", "natural"},     {"addParagraphs", true}, {"removeFinalPeriod", true},
            {"formatDates", true},   {"formatTimes", true},   {"formatLists", true}};
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettingsEveryMember : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useLanguage(QStringLiteral("pt-BR")); }

    void eachFormattingSwitchWritesAndPushesItsOwnFlag()
    {
        TemporaryProfile profile;
        QList<QJsonObject> pushed;
        FakeSync sync;
        sync.onSettingsPush = [&] { pushed.append(SyncDefaults::currentSettingsBlock(*profile.store).toJsonObject()); };
        auto *model = new TalvoroSettingsModel(*profile.store, &profile.models, &sync);
        TalvoroSettingsView view(model, *profile.store, nullptr, [](DetailRoute) {});
        view.resize(800, 1000);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        // Off one after the other: the options written and pushed each time
        // differ from the last in exactly the switch's own flag.
        QJsonObject expected = allFlagsOn();
        for (const char *flag : {"addParagraphs", "removeFinalPeriod", "formatDates", "formatTimes", "formatLists"}) {
            auto *toggle = view.findChild<ToggleSwitch *>(QLatin1String(flag) + QStringLiteral("Switch"));
            QVERIFY2(toggle, flag);
            QVERIFY(toggle->isChecked());
            QTest::mouseClick(toggle, Qt::LeftButton);
            QVERIFY(!toggle->isChecked());
            expected.insert(QLatin1String(flag), false);
            QCOMPARE(storedOptions(*profile.store), expected);
            QCOMPARE(pushed.last().value(QStringLiteral("formattingOptions")).toObject(), expected);
        }
        QCOMPARE(pushed.size(), 5);
    }

    void eachEditorsSwitchWritesAndPushesItsOwnSetting()
    {
        // Both on by default: each switch turns its own setting off, and the
        // push it starts carries that, the other still on.
        TemporaryProfile profile;
        QList<QJsonObject> pushed;
        const auto push = [&] { pushed.append(SyncDefaults::currentSettingsBlock(*profile.store).toJsonObject()); };
        FakeSync sync;
        sync.onSettingsPush = push;
        profile.environment.syncProvider = &sync;
        dictionary::DictionaryView dictionaryView(profile.environment);
        ReplacementRulesView rulesView(profile.environment);

        const struct
        {
            QWidget *view;
            const char *switchName;
            const char *key;
            const char *otherKey;
        } screens[] = {{&dictionaryView, "dictionarySwitch", "dictionaryEnabled", "replacementRulesEnabled"},
                       {&rulesView, "rulesEnabledSwitch", "replacementRulesEnabled", "dictionaryEnabled"}};
        for (const auto &screen : screens) {
            profile.store->remove(QLatin1String(screen.key));
            profile.store->remove(QLatin1String(screen.otherKey));
            pushed.clear();
            screen.view->show();
            auto *toggle = screen.view->findChild<ToggleSwitch *>(QLatin1String(screen.switchName));
            QVERIFY2(toggle && toggle->isChecked(), screen.switchName);
            toggle->click();
            QCOMPARE(profile.store->boolValue(QLatin1String(screen.key), true), false);
            QVERIFY2(!profile.store->contains(QLatin1String(screen.otherKey)), screen.otherKey);
            QCOMPARE(pushed.size(), 1);
            QCOMPARE(pushed.last().value(QLatin1String(screen.key)), QJsonValue(false));
            QCOMPARE(pushed.last().value(QLatin1String(screen.otherKey)), QJsonValue(true));
            // A pull of its key alone redraws the switch; the other key leaves it.
            profile.store->setBool(QLatin1String(screen.key), true);
            QVERIFY(toggle->isChecked());
            profile.store->setBool(QLatin1String(screen.otherKey), false);
            QVERIFY(toggle->isChecked());
            QCOMPARE(pushed.size(), 1);
            screen.view->hide();
        }
    }

    void theSettingsBlockCarriesEverySettingUnderItsOwnKey()
    {
        // Each setting away from its default, the two switches apart.
        TemporarySettings here;
        UserDefaultsProviding &d = *here.store;
        d.set(SettingsKeys::transcriptionLanguage, QStringLiteral("de"));
        d.set(SettingsKeys::transcriptionDomain, QStringLiteral("medical"));
        d.set(SettingsKeys::dictionaryEnabled, false);
        d.set(SettingsKeys::replacementRulesEnabled, true);
        d.set(SettingsKeys::keyboardAccentColor, QStringLiteral("purple"));
        d.set(SettingsKeys::translationTargetLanguage, QStringLiteral("ja"));
        const QJsonObject options{{"tone", "formal"},       {"addParagraphs", false}, {"removeFinalPeriod", true},
                                  {"formatDates", false},   {"formatTimes", true},    {"formatLists", false}};
        d.setData(QStringLiteral("formattingOptions"), QJsonDocument(options).toJson(QJsonDocument::Compact));

        const QJsonObject block = SyncDefaults::currentSettingsBlock(d, at(5000)).toJsonObject();
        QCOMPARE(block,
                 (QJsonObject{{"transcriptionLanguage", "de"}, {"transcriptionDomain", "medical"},
                              {"formattingOptions", options}, {"dictionaryEnabled", false},
                              {"replacementRulesEnabled", true}, {"accentColor", "purple"},
                              {"translationTargetLanguage", "ja"}, {"updatedAt", 5000.0}}));

        // Pulled on another device, each lands on its own key; then the
        // other way round for the two switches.
        for (const bool dictionary : {false, true}) {
            QJsonObject pulled = block;
            pulled.insert(QStringLiteral("dictionaryEnabled"), dictionary);
            pulled.insert(QStringLiteral("replacementRulesEnabled"), !dictionary);
            TemporarySettings there;
            QVERIFY(SyncDefaults::applySettings(SyncSettingsPayload::fromJson(pulled), *there.store).isEmpty());
            there.reopen();
            const UserDefaultsProviding &t = *there.store;
            QCOMPARE(t.value(SettingsKeys::transcriptionLanguage), QStringLiteral("de"));
            QCOMPARE(t.value(SettingsKeys::transcriptionDomain), QStringLiteral("medical"));
            QCOMPARE(t.value(SettingsKeys::dictionaryEnabled), dictionary);
            QCOMPARE(t.value(SettingsKeys::replacementRulesEnabled), !dictionary);
            QCOMPARE(t.value(SettingsKeys::keyboardAccentColor), QStringLiteral("purple"));
            QCOMPARE(t.value(SettingsKeys::translationTargetLanguage), QStringLiteral("ja"));
            QCOMPARE(storedOptions(t), options);
        }
    }

    void aRemovedSettingReachesTheFile()
    {
        // Written on the next turn of the event loop, with nobody asking.
        TemporarySettings settings;
        const QString file = settings.dir.filePath(QStringLiteral("settings.ini"));
        settings.store->set(SettingsKeys::transcriptionDomain, QStringLiteral("tech"));
        settings.store->set(SettingsKeys::transcriptionLanguage, QStringLiteral("fr"));
        QTRY_VERIFY(fileBytes(file).contains("transcriptionDomain=tech"));
        settings.store->remove(SettingsKeys::transcriptionDomain);
        QTRY_VERIFY(!fileBytes(file).contains("transcriptionDomain"));
        QVERIFY(fileBytes(file).contains("transcriptionLanguage=fr"));

        // The dictation settings screen drops the old domain as it appears.
        settings.store->set(SettingsKeys::transcriptionDomain, QStringLiteral("tech"));
        QTRY_VERIFY(fileBytes(file).contains("transcriptionDomain=tech"));
        FakeSync sync;
        TalvoroSettingsView view(new TalvoroSettingsModel(*settings.store, nullptr, &sync),
                                 *settings.store, nullptr, [](DetailRoute) {});
        view.show();
        QTRY_VERIFY(!fileBytes(file).contains("transcriptionDomain"));
    }
};

QTEST_MAIN(TestSettingsEveryMember)
#include "tst_SettingsEveryMember.moc"
