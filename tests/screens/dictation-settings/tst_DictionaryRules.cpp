#include "account/SyncDefaults.h"
#include "account/SyncPayloads.h"
#include "screens/dictation-settings/DictionaryEditor.h"
#include "screens/dictation-settings/FormText.h"
#include "platform/ModelContext.h"
#include "support/FakeSync.h"
#include "support/TestSupport.h"
#include "texts/Localization.h"

#include <QTimeZone>
#include <QTest>

using namespace talvoro;
using namespace talvoro::dictionary;

namespace {

const QDateTime kNow = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);

// A store, settings and a synchroniser that record what would go to the
// account.
struct Fixture : TemporaryProfile
{
    std::vector<DictionaryEntry> pushedModels;
    std::vector<SyncDictionaryEntryPayload> pushedPayloads;
    int settingsPushes = 0;
    FakeSync fake;

    Fixture()
    {
        fake.onDictionaryEntryModelPush = [this](const DictionaryEntry &e) { pushedModels.push_back(e); };
        fake.onDictionaryEntryPush = [this](const SyncDictionaryEntryPayload &p) { pushedPayloads.push_back(p); };
        fake.onSettingsPush = [this] { ++settingsPushes; };
    }
    SyncProviding *sync() { return &fake; }

    DictionaryEntry add(const QString &term, const QString &language)
    {
        DictionaryEntry entry = models.mainContext().insert(DictionaryEntry(term, language, QStringLiteral("manual")));
        return entry;
    }
    void fill(const QString &language, int count)
    {
        for (int i = 0; i < count; ++i)
            add(QStringLiteral("t%1").arg(i), language);
    }
    void commit() { QVERIFY(models.mainContext().save()); }
};

} // namespace

class TestDictionaryRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        useLanguage(QStringLiteral("pt-BR"));
    }

    void trimmingKeepsLineBreaksAndEnablesSave()
    {
        QCOMPARE(trimmedSpacesAndTabs(QStringLiteral("\t\u00a0 Kubernetes \u2003\t")), QStringLiteral("Kubernetes"));
        QCOMPARE(trimmedSpacesAndTabs(QStringLiteral(" a\n")), QStringLiteral("a\n"));
        QCOMPARE(trimmedSpacesAndTabs(QStringLiteral("\n b \n")), QStringLiteral("\n b \n"));
        TermForm form(DictionarySheetMode::create(), QStringLiteral("pt"), {});
        form.term = QStringLiteral(" \t\u3000");
        QVERIFY(!form.canSave());
        form.term = QStringLiteral(" x");
        QVERIFY(form.canSave());
    }

    void languageOptionsAndEffectiveLanguage()
    {
        QCOMPARE(termLanguageOptions({}), (QStringList{"en", "es", "fr", "pt"}));
        QCOMPARE(termLanguageOptions({"de", "pt"}), (QStringList{"de", "en", "es", "fr", "pt"}));
        QCOMPARE(currentLanguage(QString(), {}, QStringLiteral("auto")), QStringLiteral("auto"));
        QCOMPARE(currentLanguage(QStringLiteral("fr"), {"de", "pt"}, QStringLiteral("pt")), QStringLiteral("de"));
        QCOMPARE(initialLanguage({"de", "pt"}, QStringLiteral("pt")), QStringLiteral("pt"));

        // An opening code outside the options is stored when nothing is picked.
        Fixture f;
        TermForm form(DictionarySheetMode::create(), QStringLiteral("auto"), {});
        QVERIFY(!form.languageOptions().contains(QStringLiteral("auto")));
        form.term = QStringLiteral(" OpenAI\t");
        QCOMPARE(form.save(f.models.mainContext(), std::vector<DictionaryEntry>{}, f.sync(), kNow),
                 TermForm::SaveResult::saved);
        QCOMPARE(f.pushedModels.size(), size_t(1));
        QCOMPARE(f.pushedModels[0].term, QStringLiteral("OpenAI"));
        QCOMPARE(f.pushedModels[0].language, QStringLiteral("auto"));
        QCOMPARE(f.pushedModels[0].source, QStringLiteral("manual"));
    }

    void limitOnCreateAndOnLanguageChangeOnly()
    {
        Fixture f;
        f.fill(QStringLiteral("pt"), 99);
        f.fill(QStringLiteral("en"), 100);
        f.commit();
        DictionaryEntriesQuery query(f.models, StoreQueries::dictionaryEntriesByTerm());
        ModelContext &context = f.models.mainContext();

        TermForm create(DictionarySheetMode::create(), QStringLiteral("pt"), {"en", "pt"});
        create.term = QStringLiteral("novo");
        QCOMPARE(create.save(context, query.results(), f.sync(), kNow), TermForm::SaveResult::saved);
        f.commit();
        QCOMPARE(create.save(context, query.results(), f.sync(), kNow), TermForm::SaveResult::limitReached);
        QCOMPARE(create.term, QStringLiteral("novo"));

        // Editing in a full language saves; moving into one is refused.
        DictionaryEntry inEnglish;
        DictionaryEntry inPortuguese;
        for (const DictionaryEntry &e : query.results())
            (e.language == QLatin1String("en") ? inEnglish : inPortuguese) = e;
        TermForm stay(DictionarySheetMode::edit(inEnglish), QStringLiteral("pt"), {"en", "pt"});
        QCOMPARE(stay.save(context, query.results(), f.sync(), kNow), TermForm::SaveResult::saved);
        QCOMPARE(context.fetchById<DictionaryEntry>(inEnglish.id)->updatedAt, kNow);
        TermForm move(DictionarySheetMode::edit(inPortuguese), QStringLiteral("pt"), {"en", "pt"});
        move.selectedLanguage = QStringLiteral("en");
        QCOMPARE(move.save(context, query.results(), f.sync(), kNow), TermForm::SaveResult::limitReached);
        QCOMPARE(context.fetchById<DictionaryEntry>(inPortuguese.id)->language, QStringLiteral("pt"));
        QCOMPARE(limitAlertMessage(), QStringLiteral("Você atingiu o limite de 100 termos para este idioma. "
                                                     "Remova termos existentes para adicionar novos."));
    }

    void editOfADeletedEntryWritesAndPushesNothing()
    {
        Fixture f;
        const DictionaryEntry entry = f.add(QStringLiteral("Qt"), QStringLiteral("pt"));
        f.commit();
        TermForm form(DictionarySheetMode::edit(entry), QStringLiteral("pt"), {"pt"});
        QVERIFY(f.models.mainContext().remove<DictionaryEntry>(entry.id));
        f.commit();
        QCOMPARE(form.save(f.models.mainContext(), std::vector<DictionaryEntry>{}, f.sync(), kNow),
                 TermForm::SaveResult::gone);
        QVERIFY(f.pushedModels.empty());
        QVERIFY(!f.models.mainContext().fetchById<DictionaryEntry>(entry.id));
    }

    void confirmationWording()
    {
        QCOMPARE(deleteConfirmationTexts(1).title, QStringLiteral("Excluir Termo"));
        QCOMPARE(deleteConfirmationTexts(0).title, QStringLiteral("Excluir 0 Termos"));
        QCOMPARE(deleteConfirmationTexts(3).message,
                 QStringLiteral("Tem certeza que deseja excluir os 3 termos selecionados?"));
        QCOMPARE(useCountText(0), QString());
        QCOMPARE(useCountText(2), QStringLiteral("Usado 2×"));
    }

    void deletionPaths()
    {
        Fixture f;
        const DictionaryEntry a = f.add(QStringLiteral("alpha"), QStringLiteral("pt"));
        const DictionaryEntry b = f.add(QStringLiteral("beta"), QStringLiteral("pt"));
        const DictionaryEntry c = f.add(QStringLiteral("gamma"), QStringLiteral("pt"));
        const DictionaryEntry other = f.add(QStringLiteral("other"), QStringLiteral("en"));
        f.commit();
        DictionaryEditor editor(*f.store, f.models.mainContext(), f.sync(), [] { return kNow; });
        editor.appeared();
        QCOMPARE(editor.currentLanguage(), QStringLiteral("pt"));

        // The Delete key needs a match in the current language; the trash
        // confirms even nothing.
        editor.setSelection({other.id});
        QVERIFY(!editor.requestDeleteCommand());
        editor.requestSelectionDeletion();
        QCOMPARE(editor.pendingDeletion().size(), size_t(0));
        editor.cancelDelete();
        QCOMPARE(editor.selection(), QSet<QUuid>{other.id});

        // Confirmed: snapshots pushed deleted with a new time, ids unselected.
        editor.setSelection({a.id, c.id, other.id});
        QVERIFY(editor.requestDeleteCommand());
        editor.confirmDelete();
        f.commit();
        QCOMPARE(f.pushedPayloads.size(), size_t(2));
        for (const SyncDictionaryEntryPayload &payload : f.pushedPayloads) {
            QVERIFY(payload.isDeleted);
            QCOMPARE(payload.updatedAt, double(kNow.toMSecsSinceEpoch()));
        }
        QCOMPARE(f.pushedPayloads[0].term, QStringLiteral("alpha"));
        QCOMPARE(editor.selection(), QSet<QUuid>{other.id});
        QCOMPARE(editor.currentLanguageEntries().size(), size_t(1));

        // The sheet's path unselects; the row path deletes at once, keeps
        // the selection and skips what is already gone.
        editor.setSelection({b.id});
        editor.deleteRowsNow({b.id, a.id});
        f.commit();
        QCOMPARE(f.pushedPayloads.size(), size_t(3));
        QCOMPARE(editor.selection(), QSet<QUuid>{b.id});
        // Gone already (a pull, another window): its tombstone still goes.
        QVERIFY(f.models.mainContext().remove<DictionaryEntry>(other.id));
        f.commit();
        editor.deleteFromSheet(other);
        QCOMPARE(f.pushedPayloads.size(), size_t(4));
        QVERIFY(f.pushedPayloads.back().isDeleted);
        QCOMPARE(f.pushedPayloads.back().clientId, other.idString());
        QCOMPARE(f.pushedPayloads.back().term, QStringLiteral("other"));
        QCOMPARE(f.pushedPayloads.back().updatedAt, double(kNow.toMSecsSinceEpoch()));
    }

    void switchPushesOnlyTheUsersChange()
    {
        Fixture f;
        DictionaryEditor editor(*f.store, f.models.mainContext(), f.sync(), [] { return kNow; });
        QVERIFY(editor.dictionaryEnabled());
        QCOMPARE(editor.activeLanguage(), QStringLiteral("pt"));
        editor.setDictionaryEnabled(false);
        editor.setDictionaryEnabled(false);
        QCOMPARE(f.settingsPushes, 1);
        // A pulled value is written by the synchroniser straight to settings.
        f.store->setBool(SettingsKeys::dictionaryEnabled.key(), true);
        QCOMPARE(f.settingsPushes, 1);
        QVERIFY(editor.dictionaryEnabled());
    }
};

QTEST_GUILESS_MAIN(TestDictionaryRules)
#include "tst_DictionaryRules.moc"
