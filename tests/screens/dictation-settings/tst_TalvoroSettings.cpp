// The dictation settings screen: its model and its view over temporary
// settings. (The whole application test takes a switch to the account.)
#include "account/AuthManager.h"
#include "look/ui/ToggleSwitch.h"
#include "platform/ModelContext.h"
#include "platform/SecretStore.h"
#include "account/SyncDefaults.h"
#include "screens/dictation-settings/TalvoroSettingsModel.h"
#include "screens/dictation-settings/ui/CountBadge.h"
#include "screens/dictation-settings/ui/TalvoroSettingsView.h"
#include "support/FakeSync.h"
#include "support/TestSupport.h"
#include "texts/LocalizedTexts.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QWheelEvent>

#include <qcorotask.h>

using namespace talvoro;
using talvoro::dictationsettings::CountBadge;
using talvoro::ui::ToggleSwitch;
using Flag = TalvoroSettingsModel::FormattingFlag;

namespace {

const QString kLanguageKey = QStringLiteral("transcriptionLanguage");
const QString kTranslationKey = QStringLiteral("translationEnabled");
const QString kTargetKey = QStringLiteral("translationTargetLanguage");
const QString kDomainKey = QStringLiteral("transcriptionDomain");

// Stands in for the synchroniser behind the dictation settings screen: counts
// the pushes it starts (with the settings block a push would read at that
// moment) and the pulls it asks for.
struct RecordingSync
{
    UserDefaultsProviding *settings = nullptr;
    int pushes = 0;
    QList<int> pulls;
    QList<QJsonObject> blocksAtPush;
    FakeSync fake;

    RecordingSync()
    {
        fake.onSettingsPush = [this] {
            ++pushes;
            if (settings)
                blocksAtPush.append(SyncDefaults::currentSettingsBlock(*settings).toJsonObject());
        };
        fake.onPullIfStale = [this](int seconds) {
            pulls.append(seconds);
            return finished();
        };
    }

    void reset(UserDefaultsProviding *store = nullptr)
    {
        settings = store;
        pushes = 0;
        pulls.clear();
        blocksAtPush.clear();
    }

private:
    static QCoro::Task<void> finished() { co_return; }
};

void choose(QComboBox *picker, const QString &code)
{
    const int index = picker->findData(code);
    QVERIFY(index >= 0);
    picker->setCurrentIndex(index);
    Q_EMIT picker->activated(index);
}

} // namespace

class TestTalvoroSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<TemporaryProfile> m_profile;
    AuthManager *m_auth = nullptr;
    RecordingSync m_calls;
    QList<DetailRoute> m_routes;

    UserDefaultsProviding &settings() { return *m_profile->store; }

    std::unique_ptr<TalvoroSettingsModel> makeModel()
    {
        return std::make_unique<TalvoroSettingsModel>(settings(), nullptr, &m_calls.fake);
    }
    // The screen, shown and exposed.
    std::unique_ptr<TalvoroSettingsView> makeView(int height = 1000)
    {
        auto *model = new TalvoroSettingsModel(settings(), &m_profile->models, &m_calls.fake);
        auto view = std::make_unique<TalvoroSettingsView>(model, settings(), m_auth,
                                                          [this](DetailRoute route) { m_routes.append(route); });
        view->resize(800, height);
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qWarning("the view was not exposed");
        return view;
    }
    template<class T>
    static T *find(QWidget *view, const QString &name)
    {
        auto *child = view->findChild<T *>(name);
        if (!child)
            qWarning("no child %s", qPrintable(name));
        return child;
    }

private Q_SLOTS:
    void init()
    {
        useLanguage(QStringLiteral("pt-BR"));
        m_profile = std::make_unique<TemporaryProfile>();
        m_calls.reset(m_profile->store.get());
        m_auth = nullptr;
        m_routes.clear();
    }
    void cleanup() { m_profile.reset(); }

    void languagePickerFollowsTheStoredCode()
    {
        auto model = makeModel();
        // Nothing stored: the locale's language (or "auto") is the default.
        QCOMPARE(model->transcriptionLanguage(), defaultTranscriptionLanguage());
        QVERIFY(model->selectedLanguage().has_value());

        settings().setString(kLanguageKey, QStringLiteral("es"));
        QCOMPARE(model->selectedLanguage(), SupportedLanguage::es);
        settings().setString(kLanguageKey, QStringLiteral("auto"));
        QCOMPARE(model->selectedLanguage(), SupportedLanguage::automatic);

        // Codes outside the five choices (or in another case) select nothing.
        for (const QString &unknown : {QStringLiteral("de"), QStringLiteral("PT"), QString()}) {
            settings().setString(kLanguageKey, unknown);
            QVERIFY2(!model->selectedLanguage(), qPrintable(unknown));
        }
        QCOMPARE(m_calls.pushes, 0);

        // Choosing an item stores its code and pushes once.
        model->selectLanguage(SupportedLanguage::fr);
        QCOMPARE(settings().stringValue(kLanguageKey), QStringLiteral("fr"));
        QCOMPARE(model->selectedLanguage(), SupportedLanguage::fr);
        QCOMPARE(m_calls.pushes, 1);
        // The item already shown, or the switch as it is, is no change.
        model->selectLanguage(SupportedLanguage::fr);
        model->setTranslationEnabled(false);
        QCOMPARE(m_calls.pushes, 1);
        settings().setString(kTargetKey, QStringLiteral("xx"));
        QVERIFY(!model->selectedTranslationTarget());
    }

    void everyPushCarriesTheValueJustSet()
    {
        auto model = makeModel();
        const auto pushed = [&](const char *key) { return m_calls.blocksAtPush.last().value(QLatin1String(key)); };
        model->selectTranslationTarget(TranslationTarget::ja);
        QCOMPARE(pushed("translationTargetLanguage").toString(), QStringLiteral("ja"));
        model->selectLanguage(SupportedLanguage::fr);
        QCOMPARE(pushed("transcriptionLanguage").toString(), QStringLiteral("fr"));
        model->selectTone(Tone::formal);
        QCOMPARE(pushed("formattingOptions")[QLatin1String("tone")].toString(), QStringLiteral("formal"));
        model->setFormattingFlag(Flag::formatLists, false);
        QCOMPARE(pushed("formattingOptions")[QLatin1String("formatLists")].toBool(true), false);
        QCOMPARE(m_calls.blocksAtPush.size(), 4);
    }

    void openingPushesNothingAndEveryControlPushesOnce()
    {
        settings().setString(kDomainKey, QStringLiteral("tech"));
        settings().setString(kLanguageKey, QStringLiteral("de"));
        auto view = makeView();

        auto *language = find<QComboBox>(view.get(), QStringLiteral("languagePicker"));
        QVERIFY(language);
        // An unknown stored code selects nothing.
        QCOMPARE(language->currentIndex(), -1);

        auto *tone = find<QComboBox>(view.get(), QStringLiteral("tonePicker"));
        QCOMPARE(tone->currentText(), QStringLiteral("Natural"));
        for (const auto &row : TalvoroSettingsModel::formattingSwitchRows())
            QVERIFY(find<ToggleSwitch>(view.get(), QString::fromLatin1(row.objectName))->isChecked());
        QVERIFY(!find<ToggleSwitch>(view.get(), QStringLiteral("translationSwitch"))->isChecked());
        QVERIFY(find<QWidget>(view.get(), QStringLiteral("translationTargetRow"))->isHidden());

        // The start task ran: the domain is gone, one pull, no push.
        QVERIFY(!settings().contains(kDomainKey));
        QCOMPARE(m_calls.pulls, QList<int>{30});
        QCOMPARE(m_calls.pushes, 0);
    }

    void everyControlWritesAtOnceAndPushesOnce()
    {
        auto view = makeView();
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));

        choose(find<QComboBox>(view.get(), QStringLiteral("languagePicker")), QStringLiteral("es"));
        QCOMPARE(settings().stringValue(kLanguageKey), QStringLiteral("es"));
        QCOMPARE(m_calls.pushes, 1);

        choose(find<QComboBox>(view.get(), QStringLiteral("tonePicker")), QStringLiteral("formal"));
        auto *dates = find<ToggleSwitch>(view.get(), QStringLiteral("formatDatesSwitch"));
        QTest::mouseClick(dates, Qt::LeftButton);
        QVERIFY(!dates->isChecked());
        QCOMPARE(m_calls.pushes, 3);

        // Translation on shows the target row with the default target.
        auto *translation = find<ToggleSwitch>(view.get(), QStringLiteral("translationSwitch"));
        QTest::mouseClick(translation, Qt::LeftButton);
        QVERIFY(settings().boolValue(kTranslationKey));
        auto *targetRow = find<QWidget>(view.get(), QStringLiteral("translationTargetRow"));
        QVERIFY(targetRow->isVisible());
        auto *target = find<QComboBox>(view.get(), QStringLiteral("translationTargetPicker"));
        QCOMPARE(target->currentText(), QStringLiteral("English"));
        QCOMPARE(m_calls.pushes, 4);

        choose(target, QStringLiteral("ko"));
        QCOMPARE(settings().stringValue(kTargetKey), QStringLiteral("ko"));
        QCOMPARE(m_calls.pushes, 5);

        // Off hides the row and keeps the target.
        QTest::mouseClick(translation, Qt::LeftButton);
        QVERIFY(!targetRow->isVisible());
        QCOMPARE(settings().stringValue(kTargetKey), QStringLiteral("ko"));
        QCOMPARE(m_calls.pushes, 6);
    }

    void scrollingOverAPickerChangesNothing()
    {
        // Scrolling the page with the pointer over a picker scrolls the page;
        // it must not step the picker to another language and push it.
        settings().setString(kLanguageKey, QStringLiteral("pt"));
        settings().setBool(kTranslationKey, true);
        auto view = makeView(300);
        for (const QString &name : {QStringLiteral("languagePicker"), QStringLiteral("tonePicker"),
                                    QStringLiteral("translationTargetPicker")}) {
            auto *picker = find<QComboBox>(view.get(), name);
            const QPointF centre = QRectF(picker->rect()).center();
            for (const int delta : {-120, 120, -120}) {
                QWheelEvent wheel(centre, picker->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(picker, &wheel);
            }
        }
        QCOMPARE(settings().stringValue(kLanguageKey), QStringLiteral("pt"));
        QCOMPARE(FormattingOptions::loadFromUserDefaults(settings()).tone, Tone::natural);
        QVERIFY(!settings().contains(kTargetKey));
        QCOMPARE(m_calls.pushes, 0);
    }

    void aPullWhileOpenRedrawsAndIsKeptByTheNextEdit()
    {
        auto view = makeView();

        FormattingOptions pulled;
        pulled.tone = Tone::colloquial;
        pulled.formatLists = false;
        pulled.saveToUserDefaults(settings());
        settings().setString(kLanguageKey, QStringLiteral("en"));
        QCOMPARE(find<QComboBox>(view.get(), QStringLiteral("tonePicker"))->currentText(), QStringLiteral("Coloquial"));
        QVERIFY(!find<ToggleSwitch>(view.get(), QStringLiteral("formatListsSwitch"))->isChecked());
        QCOMPARE(find<QComboBox>(view.get(), QStringLiteral("languagePicker"))->currentText(), QStringLiteral("English"));
        QCOMPARE(m_calls.pushes, 0);

        QTest::mouseClick(find<ToggleSwitch>(view.get(), QStringLiteral("addParagraphsSwitch")), Qt::LeftButton);
        const FormattingOptions stored = FormattingOptions::loadFromUserDefaults(settings());
        QCOMPARE(stored.tone, Tone::colloquial);
        QVERIFY(!stored.formatLists);
        QVERIFY(!stored.addParagraphs);
    }

    void linksShowLiveCounts()
    {
        ModelContext &context = m_profile->models.mainContext();
        ReplacementRule rule(QStringLiteral("vc"), QStringLiteral("você"));
        ReplacementRule off(QStringLiteral("pq"), QStringLiteral("porque"));
        off.isEnabled = false;
        context.insert(rule);
        context.insert(off);
        context.insert(DictionaryEntry(QStringLiteral("Talvoro"), QStringLiteral("pt"), QStringLiteral("manual")));
        context.insert(DictionaryEntry(QStringLiteral("Grafana"), QStringLiteral("en"), QStringLiteral("manual")));
        QVERIFY(context.save());

        auto view = makeView();
        auto *rules = find<CountBadge>(view.get(), QStringLiteral("rulesLinkCount"));
        auto *terms = find<CountBadge>(view.get(), QStringLiteral("dictionaryLinkCount"));
        QCOMPARE(rules->text(), QStringLiteral("1 regra"));
        QCOMPARE(terms->text(), QStringLiteral("2 termos"));

        // A change from another context (a pull) shows too.
        auto pull = m_profile->models.makeContext();
        QVERIFY(pull->remove<ReplacementRule>(rule.id));
        QVERIFY(pull->save());
        QCOMPARE(rules->text(), QStringLiteral("0 regras"));
        QCOMPARE(m_calls.pushes, 0);
    }

    // A pull changes one key or one table at a time: each the screen
    // observes, changed alone, redraws it.
    void eachPulledChangeAloneRedraws_data()
    {
        QTest::addColumn<QString>("key"); // "rules" and "terms": the store's tables
        QTest::addColumn<QVariant>("value");
        FormattingOptions colloquial;
        colloquial.tone = Tone::colloquial;
        QTest::newRow("language") << kLanguageKey << QVariant(QStringLiteral("en"));
        QTest::newRow("translation") << kTranslationKey << QVariant(false);
        QTest::newRow("target") << kTargetKey << QVariant(QStringLiteral("es"));
        QTest::newRow("formatting") << SettingsKeys::formattingOptions.key() << QVariant(colloquial.toJson());
        QTest::newRow("accent") << SettingsKeys::keyboardAccentColor.key() << QVariant(QStringLiteral("orange"));
        QTest::newRow("a rule switched off") << QStringLiteral("rules") << QVariant();
        QTest::newRow("a term removed") << QStringLiteral("terms") << QVariant();
    }
    void eachPulledChangeAloneRedraws()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        settings().setBool(kTranslationKey, true);
        ReplacementRule rule(QStringLiteral("vc"), QStringLiteral("você"));
        const DictionaryEntry term(QStringLiteral("Talvoro"), QStringLiteral("pt"), QStringLiteral("manual"));
        m_profile->models.mainContext().insert(rule);
        m_profile->models.mainContext().insert(term);
        QVERIFY(m_profile->models.mainContext().save());
        auto view = makeView();
        const QImage before = view->grab().toImage();
        QCOMPARE(view->grab().toImage(), before);

        auto pull = m_profile->models.makeContext();
        if (key == QLatin1String("rules")) {
            rule.isEnabled = false;
            QVERIFY(pull->update(rule).has_value());
        } else if (key == QLatin1String("terms")) {
            QVERIFY(pull->remove<DictionaryEntry>(term.id));
        } else {
            writeSetting(settings(), key, value);
        }
        QVERIFY(pull->save());
        QVERIFY(view->grab().toImage() != before);
        QCOMPARE(m_calls.pushes, 0);
    }

    void toolbarShowsTheAvatarOnlyWhileSignedIn()
    {
        // A stored user: the avatar links to the account screen.
        InMemorySecretStore secrets;
        AuthManager::Dependencies dependencies;
        dependencies.secrets = &secrets;
        dependencies.settings = &settings();
        settings().setString(SettingsKeys::authUserId.key(), QStringLiteral("u1"));
        settings().setString(SettingsKeys::authUserName.key(), QStringLiteral("Maria Clara"));
        AuthManager auth(dependencies);
        m_auth = &auth;
        auto view = makeView();
        QTest::mouseClick(find<QWidget>(view.get(), QStringLiteral("accountLink")), Qt::LeftButton);
        QCOMPARE(m_routes, QList<DetailRoute>{DetailRoute::account});

        // Signed out, the item is empty at once.
        auth.signOut();
        QVERIFY(!view->findChild<QWidget *>(QStringLiteral("accountLink")));
        view.reset();
        m_auth = nullptr;
    }
};

QTEST_MAIN(TestTalvoroSettings)
#include "tst_TalvoroSettings.moc"
