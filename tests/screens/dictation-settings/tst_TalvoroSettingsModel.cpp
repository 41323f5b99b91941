#include "texts/Localization.h"
#include "texts/LocalizedTexts.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "screens/dictation-settings/TalvoroSettingsModel.h"
#include "support/DictationSettingsTestSupport.h"
#include "support/TestSupport.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/ReplacementRule.h"

#include <QSignalSpy>
#include <QTest>

#include <qcorotask.h>

using namespace talvoro;
using Flag = TalvoroSettingsModel::FormattingFlag;

namespace {

const QString kLanguageKey = QStringLiteral("transcriptionLanguage");
const QString kOptionsKey = QStringLiteral("formattingOptions");

} // namespace

class TestTalvoroSettingsModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<TemporarySettings> m_settings;
    talvoro::test::RecordingSyncHooks m_calls;

    UserDefaultsProviding &settings() { return *m_settings->store; }
    std::unique_ptr<TalvoroSettingsModel> makeModel(AppModelContainer *models = nullptr)
    {
        return std::make_unique<TalvoroSettingsModel>(settings(), models, m_calls.hooks());
    }

private Q_SLOTS:
    void init()
    {
        overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        installTranslations();
        m_settings = std::make_unique<TemporarySettings>();
        m_calls.reset(m_settings->store.get());
    }

    void languagePickerFollowsTheStoredCode()
    {
        auto model = makeModel();
        // Nothing stored: the locale's language (or "auto") is the default.
        QCOMPARE(model->transcriptionLanguage(), defaultTranscriptionLanguage());
        QVERIFY(model->selectedLanguage().has_value());

        settings().setString(kLanguageKey, QStringLiteral("es"));
        QCOMPARE(model->selectedLanguage(), SupportedLanguage::Es);
        settings().setString(kLanguageKey, QStringLiteral("auto"));
        QCOMPARE(model->selectedLanguage(), SupportedLanguage::Auto);

        // Codes outside the five choices (or in another case) select nothing.
        for (const QString &unknown : {QStringLiteral("de"), QStringLiteral("PT"), QString()}) {
            settings().setString(kLanguageKey, unknown);
            QVERIFY2(!model->selectedLanguage(), qPrintable(unknown));
        }
        QCOMPARE(m_calls.pushes, 0);

        // Choosing an item stores its code and pushes once.
        model->selectLanguage(SupportedLanguage::Fr);
        QCOMPARE(settings().stringValue(kLanguageKey), QStringLiteral("fr"));
        QCOMPARE(model->selectedLanguage(), SupportedLanguage::Fr);
        QCOMPARE(m_calls.pushes, 1);
        // The item already shown is no change.
        model->selectLanguage(SupportedLanguage::Fr);
        QCOMPARE(m_calls.pushes, 1);
    }

    void everyPushCarriesTheValueJustSet()
    {
        auto model = makeModel();
        const auto pushed = [&](const char *key) { return m_calls.blocksAtPush.last().value(QLatin1String(key)); };
        model->selectTranslationTarget(TranslationTarget::Ja);
        QCOMPARE(pushed("translationTargetLanguage").toString(), QStringLiteral("ja"));
        model->selectLanguage(SupportedLanguage::Fr);
        QCOMPARE(pushed("transcriptionLanguage").toString(), QStringLiteral("fr"));
        model->selectTone(Tone::formal);
        QCOMPARE(pushed("formattingOptions")[QLatin1String("tone")].toString(), QStringLiteral("formal"));
        model->setFormattingFlag(Flag::formatLists, false);
        QCOMPARE(pushed("formattingOptions")[QLatin1String("formatLists")].toBool(true), false);
        QCOMPARE(m_calls.blocksAtPush.size(), 4);
    }

    void unreadableOptionsShowTheDefaultsAndAreReplacedOnEdit()
    {
        settings().setData(kOptionsKey, QByteArrayLiteral("{\"tone\":\"loud\"}"));
        auto model = makeModel();
        QCOMPARE(model->formattingOptions(), FormattingOptions{});
        model->selectTone(Tone::colloquial);
        FormattingOptions expected;
        expected.tone = Tone::colloquial;
        QCOMPARE(FormattingOptions::loadFromUserDefaults(settings()), expected);
    }

    void countsFollowTheStoreLive()
    {
        QTemporaryDir dir;
        AppModelContainer container(dir.filePath(QStringLiteral("TalvoroApp.store")));
        ModelContext &context = container.mainContext();

        ReplacementRule enabled(QStringLiteral("vc"), QStringLiteral("você"));
        ReplacementRule disabled(QStringLiteral("tb"), QStringLiteral("também"));
        disabled.isEnabled = false;
        context.insert(enabled);
        context.insert(disabled);
        context.insert(DictionaryEntry(QStringLiteral("Talvoro"), QStringLiteral("pt"), QStringLiteral("manual")));
        context.insert(DictionaryEntry(QStringLiteral("Kubernetes"), QStringLiteral("en"), QStringLiteral("manual")));
        context.insert(DictionaryEntry(QStringLiteral("café"), QStringLiteral("fr"), QStringLiteral("manual")));
        QVERIFY(context.save());

        auto model = makeModel(&container);
        // Disabled rules are not counted; terms of every language are.
        QCOMPARE(model->activeRuleCount(), 1);
        QCOMPARE(model->ruleCountText(true), QStringLiteral("1 regra"));
        QCOMPARE(model->termCount(), 3);
        QCOMPARE(model->termCountText(true), QStringLiteral("3 termos"));

        QSignalSpy counts(model.get(), &TalvoroSettingsModel::countsChanged);
        // Enabling the other rule on the rules screen raises the count...
        disabled.isEnabled = true;
        QVERIFY(context.update(disabled));
        QVERIFY(context.save());
        QCOMPARE(model->activeRuleCount(), 2);
        // ...and disabling one lowers it.
        enabled.isEnabled = false;
        QVERIFY(context.update(enabled));
        QVERIFY(context.save());
        QCOMPARE(model->activeRuleCount(), 1);
        QVERIFY(counts.count() >= 2);

        // A change from another context (a pull) shows too.
        auto pullContext = container.makeContext();
        pullContext->insert(DictionaryEntry(QStringLiteral("Postgres"), QStringLiteral("es"), QStringLiteral("sync")));
        QVERIFY(pullContext->save());
        QCOMPARE(model->termCount(), 4);
        QCOMPARE(m_calls.pushes, 0);
    }

};

QTEST_GUILESS_MAIN(TestTalvoroSettingsModel)
#include "tst_TalvoroSettingsModel.moc"
