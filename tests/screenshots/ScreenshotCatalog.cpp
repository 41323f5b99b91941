#include "ScreenshotCatalog.h"

#include "account/AuthProviding.h"
#include "screens/onboarding-account/AvatarImageCache.h"
#include "screens/onboarding-account/AvatarImageLoader.h"
#include "screens/onboarding-account/ui/AccountView.h"
#include "screens/onboarding-account/ui/FeedbackView.h"

#include <QDir>

#include "AccountScreenshots.h"
#include "AvatarScreenshots.h"
#include "OnboardingScreenshots.h"

#include "account/AuthManager.h"
#include "account/SyncDefaults.h"
#include "navigation/MainWindowModel.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/SecretStore.h"
#include "dictation/KeyCodeMap.h"
#include "screens/home-history-stats/ui/StatsQuickCard.h"
#include "screens/home-history-stats/ui/WeeklyUsageCard.h"
#include "screens/dictation-settings/ui/RuleFormSheet.h"
#include "screens/settings/ui/HotkeySettingView.h"
#include "transcription/UsageCounters.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/FormattingOptions.h"
#include "transcription/ReplacementRule.h"
#include "transcription/StoreQueries.h"
#include "transcription/TranscriptionRecord.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QCoroTimer>
#include <QLineEdit>

namespace {

const QString kCompleted = SettingsKeys::onboardingCompleted.key();
const QString kAllow = SettingsKeys::allowUnauthenticatedAccess.key();

// The whole window with the application's screens, after `prepare` has set
// the settings and, once the model exists, `navigate` has moved it.
std::function<QWidget *(ScreenshotContext &)> window(
    std::function<void(ScreenshotContext &)> prepare,
    std::function<void(MainWindowModel &)> navigate = {})
{
    return [prepare, navigate](ScreenshotContext &context) -> QWidget * {
        prepare(context);
        MainWindowModel &model = context.windowModel();
        auto *window = new MainWindow(context.environment, model, ScreenRegistry::withAppScreens());
        if (navigate)
            navigate(model);
        return window;
    };
}

void grantAllPermissions(ScreenshotContext &context)
{
    context.permissionState->accessibility = true;
    context.permissionState->speech = SpeechRecognitionAuthorization::authorized;
    context.permissions.refresh();
}

void inMainInterface(ScreenshotContext &context)
{
    context.defaults().setBool(kCompleted, true);
    context.defaults().setBool(kAllow, true);
}

// The dictation settings with a few rules and terms, French spoken, a formal
// tone with two switches off, and translation on or off.
std::function<void(ScreenshotContext &)> dictationSettings(bool translation)
{
    return [translation](ScreenshotContext &context) {
        inMainInterface(context);
        SettingsStore &defaults = context.defaults();
        defaults.setString(QStringLiteral("transcriptionLanguage"), QStringLiteral("fr"));
        defaults.setBool(QStringLiteral("translationEnabled"), translation);
        defaults.setString(QStringLiteral("translationTargetLanguage"), QStringLiteral("de"));
        FormattingOptions options;
        options.tone = Tone::formal;
        options.removeFinalPeriod = false;
        options.formatLists = false;
        options.saveToUserDefaults(defaults);

        ModelContext &store = context.models().mainContext();
        ReplacementRule off(QStringLiteral("pq"), QStringLiteral("porque"));
        off.isEnabled = false;
        store.insert(ReplacementRule(QStringLiteral("vc"), QStringLiteral("você")));
        store.insert(ReplacementRule(QStringLiteral("tb"), QStringLiteral("também")));
        store.insert(off);
        for (const char *term : {"Talvoro", "Kubernetes", "Grafana", "Postgres", "Torvenak"})
            store.insert(DictionaryEntry(QString::fromUtf8(term), QStringLiteral("pt"), QStringLiteral("manual")));
        store.insert(DictionaryEntry(QStringLiteral("croissant"), QStringLiteral("fr"), QStringLiteral("manual")));
        (void)store.save();
    };
}

void showDictationSettings(MainWindowModel &model)
{
    model.selectSidebarItem(SidebarItem::talvoroSettings);
}

// The history over a week of dictations, several on some days; the first
// record has a fixed id so the detail page can be opened on it.
const QUuid kHistoryRecordId(QStringLiteral("{6f1c2a3e-8d4b-4f5a-9c7e-1a2b3c4d5e6f}"));

void historyWeek(ScreenshotContext &context)
{
    inMainInterface(context);
    ModelContext &store = context.models().mainContext();
    const QDateTime now = QDateTime::currentDateTime();
    const struct
    {
        int minutesAgo;
        const char *text;
        const char *language;
    } samples[] = {
        {2, "Lembrar de enviar o relatório trimestral para a equipe financeira antes da reunião de sexta-feira, "
            "com os números revisados de vendas e o resumo das despesas do projeto.",
         "pt"},
        {95, "Please schedule the design review for next Tuesday afternoon.", "en"},
        {60 * 26, "Comprar pão, leite e café no caminho de casa.", "pt"},
        {60 * 30, "Agendar consulta com o dentista para a próxima semana.", "auto"},
        {60 * 50, "Revisar o contrato de aluguel e mandar as correções para o advogado.", "pt"},
        {60 * 75, "Notas de la reunión: presupuesto aprobado, falta definir el calendario.", "es"},
        {60 * 100, "Ideias para o fim de semana: trilha na serra, visitar a feira de artesanato.", ""},
        {60 * 125, "Rappeler Julien pour confirmer la livraison.", "fr"},
        {60 * 150, "Ditado de teste com um texto bem curto.", "pt"},
    };
    bool first = true;
    for (const auto &sample : samples) {
        const QString text = QString::fromUtf8(sample.text);
        TranscriptionRecord record(text, text.split(QLatin1Char(' ')).size(), 4.0 + sample.minutesAgo % 50,
                                   QString::fromLatin1(sample.language), now.addSecs(-60LL * sample.minutesAgo));
        if (first)
            record.id = kHistoryRecordId;
        first = false;
        store.insert(record);
    }
    (void)store.save();
}

void showHistory(MainWindowModel &model)
{
    model.selectSidebarItem(SidebarItem::history);
}

// The history with `search` typed into its field.
std::function<QWidget *(ScreenshotContext &)> historySearch(const QString &search)
{
    return [search](ScreenshotContext &context) -> QWidget * {
        QWidget *shown = window(historyWeek, showHistory)(context);
        if (auto *field = shown->findChild<QLineEdit *>(QStringLiteral("searchField")))
            field->setText(search);
        return shown;
    };
}

// The general sheet over the settings hub, after `act` has worked the
// dictation recorder.
std::function<QWidget *(ScreenshotContext &)> generalSheet(std::function<void(HotkeyRecorder &)> act = {},
                                                           const QString &storedMicrophone = {})
{
    return [act, storedMicrophone](ScreenshotContext &context) -> QWidget * {
        QWidget *shown = window(
            [storedMicrophone](ScreenshotContext &c) {
                inMainInterface(c);
                if (!storedMicrophone.isEmpty())
                    c.defaults().setString(QStringLiteral("preferredMicrophoneID"), storedMicrophone);
            },
            [](MainWindowModel &m) {
                m.selectSidebarItem(SidebarItem::settings);
                m.setActiveSettingsModal(SettingsModal::general);
            })(context);
        if (act) {
            auto *recorder = shown->findChild<talvoro::settings::HotkeySettingView *>(
                QStringLiteral("hotkeySetting.dictation"));
            act(*recorder->recorder());
        }
        return shown;
    };
}

RecordedKeyPress keyPress(quint16 keyCode, quint64 modifiers)
{
    RecordedKeyPress press;
    press.keyCode = keyCode;
    press.modifiers = modifiers;
    return press;
}

// The statistics screen over stored figures: `weeks` weeks of chart ending
// on 1 December 2025 and `bestDay` as the stored best day.
std::function<QWidget *(ScreenshotContext &)> statistics(qint64 dictations, int weeks, const QString &bestDay)
{
    return window(
        [=](ScreenshotContext &context) {
            inMainInterface(context);
            using namespace SettingsKeys;
            SettingsStore &store = context.defaults();
            auto set = [&](const SettingKey<qint64> &key, qint64 value) { store.set(key, value); };
            set(syncTotalDictations, dictations);
            set(syncTotalWords, dictations * 23);
            set(syncThisMonthDictations, 41);
            set(syncLast7DaysDictations, 12);
            set(syncCurrentStreak, 1);
            set(syncLongestStreak, 9);
            set(syncBestDayDictations, 17);
            store.set(syncBestDayDate, bestDay);
            QList<SyncPullStatsWeekEntry> chart;
            const QDate last(2025, 12, 1);
            for (int week = weeks - 1; week >= 0; --week) {
                const QDate start = last.addDays(-7 * week);
                chart.append({QStringLiteral("%1-%2-%3").arg(start.year()).arg(start.month()).arg(start.day()),
                              5 + (week * 7) % 19, 0});
            }
            store.set(syncWeeklyChart, encodeWeeklyChart(chart));
        },
        [](MainWindowModel &model) { model.push(DetailRoute::statsDetail); });
}

void showHome(MainWindowModel &model)
{
    model.selectSidebarItem(SidebarItem::home);
}

// The figures a pull stores: the week's statistics with a streak, and the
// usage counters (the week at 74 %, the hour at 95 %).
void homeFigures(ScreenshotContext &context)
{
    SettingsStore &defaults = context.defaults();
    defaults.setInt64(SettingsKeys::syncWeekDictations.key(), 52);
    defaults.setInt64(SettingsKeys::syncWeekWords.key(), 12345);
    defaults.setInt64(SettingsKeys::syncCurrentStreak.key(), 4);
    UsageCounters{52, 70, 57, 60}.save(defaults);
}

// A few rules, newest first: one used three times, one disabled, one with a
// two-line replacement.
void someRules(ScreenshotContext &context)
{
    inMainInterface(context);
    ModelContext &store = context.models().mainContext();
    const QDateTime start = QDateTime::fromSecsSinceEpoch(1'760'000'000);
    const struct
    {
        const char *original;
        const char *replacement;
        bool enabled;
        qint64 used;
    } rules[] = {
        {"vc", "você", true, 3},
        {"kubernetes", "Kubernetes", false, 0},
        {"assinatura", "Atenciosamente,\nMaria Clara Souza", true, 12},
    };
    int second = 0;
    for (const auto &r : rules) {
        ReplacementRule rule(QString::fromUtf8(r.original), QString::fromUtf8(r.replacement));
        rule.isEnabled = r.enabled;
        rule.useCount = r.used;
        rule.createdAt = rule.updatedAt = start.addSecs(second++);
        store.insert(rule);
    }
    (void)store.save();
}

void showRules(MainWindowModel &model)
{
    model.selectSidebarItem(SidebarItem::talvoroSettings);
    model.push(DetailRoute::replacementRules);
}

// The rules screen with `search` typed into its field.
std::function<QWidget *(ScreenshotContext &)> rulesSearch(const QString &search)
{
    return [search](ScreenshotContext &context) -> QWidget * {
        QWidget *shown = window(someRules, showRules)(context);
        if (auto *view = shown->findChild<QWidget *>(QStringLiteral("replacementRulesView"))) {
            if (auto *field = view->findChild<QLineEdit *>(QStringLiteral("searchField")))
                field->setText(search);
        }
        return shown;
    };
}

// The rule form alone, new or editing the first rule.
std::function<QWidget *(ScreenshotContext &)> ruleSheet(bool edit)
{
    return [edit](ScreenshotContext &context) -> QWidget * {
        someRules(context);
        ModelContext &store = context.models().mainContext();
        talvoro::rules::SheetMode mode;
        if (edit)
            mode = talvoro::rules::SheetMode::edit(store.fetch(StoreQueries::rulesNewestFirst()).value().front());
        return new RuleFormSheet(mode, store, {}, [] { return QDateTime::currentDateTime(); }, {});
    };
}

// The feedback form on a client that never answers (no picture sends),
// filled by `fill`.
std::function<QWidget *(ScreenshotContext &)> feedbackForm(std::function<void(talvoro::feedback::FeedbackViewModel &)> fill)
{
    return [fill](ScreenshotContext &context) -> QWidget * {
        auto client = std::make_shared<BackendAPIClient>(std::make_shared<DefaultAuthProvider>(),
                                                         BackendAPIClient::sharedSession(),
                                                         QUrl(QStringLiteral("http://127.0.0.1:9/")));
        auto *view = new talvoro::feedback::FeedbackView(*client, context.defaults(), {});
        QObject::connect(view, &QObject::destroyed, [client] {});
        if (fill)
            fill(*view->viewModel());
        return view;
    };
}

void fillFeedback(talvoro::feedback::FeedbackViewModel &model)
{
    model.setSelectedTopic(talvoro::feedback::FeedbackTopic::suggestion);
    model.setSubject(QStringLiteral("Atalho para pausar o ditado"));
    model.setDescriptionText(QStringLiteral("Seria ótimo poder pausar e retomar um ditado longo sem perder o texto."));
}

enum class AccountShot { signedOut, signedIn, avatar, uploading };

// The account screen pushed over the settings hub.
std::function<QWidget *(ScreenshotContext &)> accountScreen(AccountShot shot)
{
    return [shot](ScreenshotContext &context) -> QWidget * {
        inMainInterface(context);
        context.defaults().set(SettingsKeys::weeklyUsed, 23);
        context.environment.makeBackendClient = [] {
            return std::make_shared<BackendAPIClient>(std::make_shared<NeverAnsweringAuth>(),
                                                      BackendAPIClient::sharedSession(),
                                                      QUrl(QStringLiteral("http://127.0.0.1:9/")));
        };
        std::shared_ptr<AvatarImageCache> cache;
        std::shared_ptr<AvatarImageLoader> loader;
        std::shared_ptr<InMemorySecretStore> secrets;
        std::shared_ptr<AuthManager> signedOut;
        if (shot == AccountShot::signedOut) {
            // An account layer nobody is signed in to, so signing in is offered.
            secrets = std::make_shared<InMemorySecretStore>();
            AuthManager::Dependencies dependencies;
            dependencies.secrets = secrets.get();
            dependencies.settings = &context.defaults();
            signedOut = std::make_shared<AuthManager>(dependencies);
            context.environment.auth = signedOut.get();
        } else {
            AuthManager &auth = context.signIn(QStringLiteral("Maria Clara Souza"));
            if (shot != AccountShot::signedIn) {
                // The picture waits in the cache, so nothing is downloaded.
                const QUrl url(QStringLiteral("https://example.com/avatar.jpg"));
                QByteArray jpeg;
                QBuffer buffer(&jpeg);
                buffer.open(QIODevice::WriteOnly);
                samplePortrait().save(&buffer, "JPEG");
                cache = std::make_shared<AvatarImageCache>(std::nullopt);
                cache->save(jpeg, AvatarImageLoader::keyFor(url));
                loader = std::make_shared<AvatarImageLoader>(*cache);
                context.environment.avatarCache = cache.get();
                context.environment.avatarLoader = loader.get();
                auth.updateAvatarURL(url);
            }
        }
        QWidget *shown = window([](ScreenshotContext &) {}, [](MainWindowModel &m) {
            m.selectSidebarItem(SidebarItem::settings);
            m.push(DetailRoute::account);
        })(context);
        QObject::connect(shown, &QObject::destroyed, [cache, loader, signedOut, secrets] {});
        if (shot == AccountShot::uploading) {
            auto *view = shown->findChild<talvoro::account::AccountView *>();
            const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("talvoro-avatar.png"));
            samplePortrait().save(path, "PNG");
            view->setAvatarPicker([path](QWidget *, std::function<void(const talvoro::account::AccountView::ImportResult &)> done) {
                done(QList<QUrl>{QUrl::fromLocalFile(path)});
            });
            view->findChild<QAbstractButton *>(QStringLiteral("accountAvatarButton"))->click();
        }
        return shown;
    };
}

} // namespace

ScreenshotContext::ScreenshotContext(bool portuguese, bool dark)
    : permissions(std::make_unique<FakePermissionChecks>(permissionState), opener)
    , portuguese(portuguese)
    , dark(dark)
{
    // environment.auth stays null until a screen needs the account layer; the
    // window reads the signed-in state from `auth`.
    environment.settings = settings.store.get();
    environment.hotkeys = &hotkeys;
    microphones.devices = {{QStringLiteral("alsa_input.usb-Blue_Yeti"), QStringLiteral("Blue Yeti"), true},
                           {QStringLiteral("alsa_input.pci-analog"), QStringLiteral("Built-in Audio Analog Stereo"), false}};
    environment.microphones = &microphones;
    permissionState->microphone = MicrophoneAuthorization::authorized;
    permissions.refresh();
    environment.permissions = &permissions;
}

ScreenshotContext::~ScreenshotContext() = default;

MainWindowModel &ScreenshotContext::windowModel()
{
    if (!m_windowModel)
        m_windowModel = std::make_unique<MainWindowModel>(*settings.store, &auth);
    return *m_windowModel;
}

AppModelContainer &ScreenshotContext::models()
{
    if (!m_models) {
        m_models = std::make_unique<AppModelContainer>(settings.dir.filePath(QStringLiteral("TalvoroApp.store")));
        environment.models = m_models.get();
    }
    return *m_models;
}

AuthManager &ScreenshotContext::signIn(const QString &userName)
{
    if (!m_account) {
        SettingsStore &store = *settings.store;
        store.setString(SettingsKeys::authUserId.key(), QStringLiteral("user-screenshots"));
        store.setString(SettingsKeys::authUserName.key(), userName);
        store.setString(SettingsKeys::authUserEmail.key(), QStringLiteral("maria@example.com"));
        m_secrets = std::make_unique<InMemorySecretStore>();
        AuthManager::Dependencies dependencies;
        dependencies.secrets = m_secrets.get();
        dependencies.settings = &store;
        m_account = std::make_unique<AuthManager>(dependencies);
        environment.auth = m_account.get();
        auth.setAuthenticated(true);
    }
    return *m_account;
}

QList<ScreenshotEntry> screenshotEntries()
{
    QList<ScreenshotEntry> entries{
        // The window shell.
        {QStringLiteral("shell"), QStringLiteral("onboarding"), window([](ScreenshotContext &) {})},
        {QStringLiteral("shell"), QStringLiteral("login"),
         window([](ScreenshotContext &c) { c.defaults().setBool(kCompleted, true); })},
        {QStringLiteral("shell"), QStringLiteral("home"), window(inMainInterface)},
        {QStringLiteral("shell"), QStringLiteral("settings"), window(inMainInterface, [](MainWindowModel &m) {
             m.selectSidebarItem(SidebarItem::settings);
         })},
        {QStringLiteral("shell"), QStringLiteral("route-permissions"),
         window(inMainInterface, [](MainWindowModel &m) {
             m.selectSidebarItem(SidebarItem::settings);
             m.push(DetailRoute::permissions);
         })},
        {QStringLiteral("shell"), QStringLiteral("sheet-general"), window(inMainInterface, [](MainWindowModel &m) {
             m.selectSidebarItem(SidebarItem::settings);
             m.setActiveSettingsModal(SettingsModal::general);
         })},
        {QStringLiteral("shell"), QStringLiteral("sheet-system"), window(inMainInterface, [](MainWindowModel &m) {
             m.selectSidebarItem(SidebarItem::settings);
             m.setActiveSettingsModal(SettingsModal::system);
         })},
        {QStringLiteral("shell"), QStringLiteral("sheet-small-window"),
         window(inMainInterface,
                [](MainWindowModel &m) {
                    m.selectSidebarItem(SidebarItem::settings);
                    m.setActiveSettingsModal(SettingsModal::general);
                }),
         QSize(720, 520)},
        // The avatar at its three sizes, one picture per state.
        {QStringLiteral("avatar"), QStringLiteral("image"),
         [](ScreenshotContext &c) { return buildAvatarScreenshot(c, QStringLiteral("image")); }, QSize(360, 320)},
        {QStringLiteral("avatar"), QStringLiteral("loading"),
         [](ScreenshotContext &c) { return buildAvatarScreenshot(c, QStringLiteral("loading")); }, QSize(360, 320)},
        {QStringLiteral("avatar"), QStringLiteral("initials"),
         [](ScreenshotContext &c) { return buildAvatarScreenshot(c, QStringLiteral("initials")); }, QSize(360, 320)},
        {QStringLiteral("avatar"), QStringLiteral("symbol"),
         [](ScreenshotContext &c) { return buildAvatarScreenshot(c, QStringLiteral("symbol")); }, QSize(360, 320)},

        // Dictation settings.
        {QStringLiteral("dictationSettings"), QStringLiteral("signed-out"),
         window(dictationSettings(false), showDictationSettings), QSize(1100, 1000)},
        {QStringLiteral("dictationSettings"), QStringLiteral("signed-in"),
         window(
             [](ScreenshotContext &c) {
                 dictationSettings(false)(c);
                 c.signIn(QStringLiteral("Maria Clara Souza"));
             },
             showDictationSettings),
         QSize(1100, 1000)},
        {QStringLiteral("dictationSettings"), QStringLiteral("translation-on"),
         window(dictationSettings(true), showDictationSettings), QSize(1100, 1000)},

        // General settings sheet: the hotkey recorder capturing and with each
        // message, and a stored microphone that is gone.
        {QStringLiteral("generalSettings"), QStringLiteral("capturing"),
         generalSheet([](HotkeyRecorder &r) { r.startCapture(); }), QSize(1100, 900)},
        {QStringLiteral("generalSettings"), QStringLiteral("no-modifier"), generalSheet([](HotkeyRecorder &r) {
             r.startCapture();
             r.handleKeyPress(keyPress(0, 0));
         }),
         QSize(1100, 900)},
        {QStringLiteral("generalSettings"), QStringLiteral("duplicate"), generalSheet([](HotkeyRecorder &r) {
             r.startCapture();
             r.handleKeyPress(keyPress(3, MacModifier::control | MacModifier::shift));
         }),
         QSize(1100, 900)},
        {QStringLiteral("generalSettings"), QStringLiteral("microphone-unavailable"),
         generalSheet({}, QStringLiteral("alsa_input.usb-Old_Headset")), QSize(1100, 900)},

        // History and its detail page.
        {QStringLiteral("history"), QStringLiteral("empty"),
         window([](ScreenshotContext &c) {
             inMainInterface(c);
             c.models();
         }, showHistory)},
        {QStringLiteral("history"), QStringLiteral("week"), window(historyWeek, showHistory), QSize(1100, 900)},
        {QStringLiteral("history"), QStringLiteral("search"), historySearch(QStringLiteral("REUNI"))},
        {QStringLiteral("history"), QStringLiteral("search-no-result"), historySearch(QStringLiteral("xyz"))},
        {QStringLiteral("history"), QStringLiteral("detail"), window(historyWeek, [](MainWindowModel &m) {
             showHistory(m);
             m.push(HistoryDetailRoute{kHistoryRecordId});
         })},
        {QStringLiteral("history"), QStringLiteral("not-found"), window(historyWeek, [](MainWindowModel &m) {
             showHistory(m);
             m.push(HistoryDetailRoute{QUuid::createUuid()});
         })},
        // Statistics.
        {QStringLiteral("statistics"), QStringLiteral("no-data"), statistics(0, 0, QString())},
        {QStringLiteral("statistics"), QStringLiteral("full"), statistics(1234, 8, QStringLiteral("2025-11-18")),
         QSize(1100, 900)},
        {QStringLiteral("statistics"), QStringLiteral("three-weeks"), statistics(57, 3, QStringLiteral("2025-11-18")),
         QSize(1100, 900)},
        {QStringLiteral("statistics"), QStringLiteral("best-day-text"), statistics(57, 0, QStringLiteral("ontem")),
         QSize(1100, 900)},
        // Home and its cards.
        {QStringLiteral("home"), QStringLiteral("empty"),
         window([](ScreenshotContext &c) {
             inMainInterface(c);
             c.models();
         }, showHome)},
        {QStringLiteral("home"), QStringLiteral("signed-out"),
         window([](ScreenshotContext &c) {
             historyWeek(c);
             homeFigures(c);
         }, showHome), QSize(1100, 900)},
        {QStringLiteral("home"), QStringLiteral("account"),
         window([](ScreenshotContext &c) {
             historyWeek(c);
             homeFigures(c);
             c.signIn(QStringLiteral("Ana Souza"));
         }, showHome), QSize(1100, 900)},
        {QStringLiteral("home-quick-card"), QStringLiteral("one-day"),
         [](ScreenshotContext &c) -> QWidget * {
             c.defaults().setInt64(SettingsKeys::syncWeekDictations.key(), 3);
             c.defaults().setInt64(SettingsKeys::syncWeekWords.key(), 41);
             c.defaults().setInt64(SettingsKeys::syncCurrentStreak.key(), 1);
             return new talvoro::home::StatsQuickCard(c.defaults());
         }, QSize(600, 320)},
        {QStringLiteral("home-usage-card"), QStringLiteral("over-limit"),
         [](ScreenshotContext &c) -> QWidget * {
             UsageCounters{75, 70, 12, 0}.save(c.defaults());
             return new talvoro::home::WeeklyUsageCard(&c.signIn(QStringLiteral("Ana Souza")), c.defaults());
         }, QSize(600, 320)},

        // Permissions and the system sheet with every permission granted
        // (the defaults show two missing); the hub signed in.
        {QStringLiteral("permissions"), QStringLiteral("all-granted"),
         window([](ScreenshotContext &c) {
             inMainInterface(c);
             grantAllPermissions(c);
         }, [](MainWindowModel &m) {
             m.selectSidebarItem(SidebarItem::settings);
             m.push(DetailRoute::permissions);
         })},
        {QStringLiteral("sheet-system"), QStringLiteral("all-granted"),
         window([](ScreenshotContext &c) {
             inMainInterface(c);
             grantAllPermissions(c);
         }, [](MainWindowModel &m) {
             m.selectSidebarItem(SidebarItem::settings);
             m.setActiveSettingsModal(SettingsModal::system);
         })},
        {QStringLiteral("settings"), QStringLiteral("signed-in"),
         window([](ScreenshotContext &c) {
             inMainInterface(c);
             c.signIn(QStringLiteral("Ana Souza"));
         }, [](MainWindowModel &m) { m.selectSidebarItem(SidebarItem::settings); }), QSize(1100, 900)},
        // The replacement rules screen and its form.
        {QStringLiteral("replacementRules"), QStringLiteral("empty"), window(inMainInterface, showRules)},
        {QStringLiteral("replacementRules"), QStringLiteral("rules"), window(someRules, showRules)},
        {QStringLiteral("replacementRules"), QStringLiteral("search-no-results"), rulesSearch(QStringLiteral("xyz"))},
        {QStringLiteral("replacementRules"), QStringLiteral("sheet-new"), ruleSheet(false), QSize(640, 400)},
        {QStringLiteral("replacementRules"), QStringLiteral("sheet-edit"), ruleSheet(true), QSize(640, 480)},
        // Feedback.
        {QStringLiteral("feedback"), QStringLiteral("empty"), feedbackForm({}), QSize(1100, 900)},
        {QStringLiteral("feedback"), QStringLiteral("filled"), feedbackForm(fillFeedback), QSize(1100, 900)},
        {QStringLiteral("feedback"), QStringLiteral("screenshots"),
         feedbackForm([](talvoro::feedback::FeedbackViewModel &model) {
             fillFeedback(model);
             const QDir folder(QDir::tempPath());
             QList<QUrl> files;
             for (const QColor &color : {QColor(Qt::darkCyan), QColor(Qt::darkMagenta), QColor(Qt::darkYellow)}) {
                 QImage image(1600, 1000, QImage::Format_RGB32);
                 image.fill(color);
                 const QString path = folder.filePath(QStringLiteral("talvoro-feedback-%1.png").arg(files.size()));
                 image.save(path, "PNG");
                 files.append(QUrl::fromLocalFile(path));
             }
             model.loadImages(files);
         }),
         QSize(1100, 900)},
        // The account screen.
        {QStringLiteral("account"), QStringLiteral("signed-in"), accountScreen(AccountShot::signedIn), QSize(1100, 900)},
        {QStringLiteral("account"), QStringLiteral("avatar"), accountScreen(AccountShot::avatar), QSize(1100, 900)},
        {QStringLiteral("account"), QStringLiteral("signed-out"), accountScreen(AccountShot::signedOut),
         QSize(1100, 900)},
        {QStringLiteral("account"), QStringLiteral("uploading"), accountScreen(AccountShot::uploading),
         QSize(1100, 900)},
    };
    entries += onboardingScreenshotEntries();
    entries += accountManagementScreenshotEntries();
    return entries;
}
