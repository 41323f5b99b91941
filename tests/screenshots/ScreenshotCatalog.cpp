#include "ScreenshotCatalog.h"

#include "AccountScreenshots.h"

#include "account/AuthManager.h"
#include "account/AuthProviding.h"
#include "account/SyncDefaults.h"
#include "support/SyncTestSupport.h"
#include "look/AccentColorOption.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"
#include "dictation/KeyCodeMap.h"
#include "navigation/MainWindowModel.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/SecretStore.h"
#include "screens/dictation-settings/ui/DictionaryView.h"
#include "screens/dictation-settings/ui/ReplacementRulesView.h"
#include "screens/home-history-stats/ui/StatsQuickCard.h"
#include "screens/home-history-stats/ui/WeeklyUsageCard.h"
#include "screens/onboarding-account/AvatarImageCache.h"
#include "screens/onboarding-account/AvatarImageLoader.h"
#include "screens/onboarding-account/ui/AccountView.h"
#include "screens/settings/ui/AvatarView.h"
#include "screens/onboarding-account/ui/FeedbackView.h"
#include "screens/settings/ui/HotkeySettingView.h"
#include "transcription/DictionaryEntry.h"
#include "transcription/FormattingOptions.h"
#include "transcription/ReplacementRule.h"
#include "transcription/StoreQueries.h"
#include "transcription/TranscriptionRecord.h"
#include "transcription/UsageCounters.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QCoroTimer>
#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

using talvoro::dictionary::DictionaryView;

namespace {

using Build = std::function<QWidget *(ScreenshotContext &)>;
using Prepare = std::function<void(ScreenshotContext &)>;
using Navigate = std::function<void(MainWindowModel &)>;

const QString kCompleted = SettingsKeys::onboardingCompleted.key();
const QString kAllow = SettingsKeys::allowUnauthenticatedAccess.key();

// Pictures the screens are handed as picked files, in a folder of this run's
// own: two runs at once must not overwrite each other's.
QDir pickedFilesFolder()
{
    static QTemporaryDir folder;
    return QDir(folder.path());
}

// The whole window with the application's screens: `prepare` sets the
// context up, `navigate` moves the model once it exists, `then` works the
// shown window.
Build window(Prepare prepare, Navigate navigate = {}, std::function<void(QWidget *)> then = {})
{
    return [=](ScreenshotContext &context) -> QWidget * {
        prepare(context);
        MainWindowModel &model = context.windowModel();
        auto *window = new MainWindow(context.environment, model, ScreenRegistry::withAppScreens());
        if (navigate)
            navigate(model);
        if (then)
            then(window);
        return window;
    };
}

Navigate sidebar(SidebarItem item)
{
    return [item](MainWindowModel &model) { model.selectSidebarItem(item); };
}

Navigate route(SidebarItem item, NavigationDestination destination)
{
    return [=](MainWindowModel &model) {
        model.selectSidebarItem(item);
        model.push(destination);
    };
}

Navigate sheet(SettingsModal modal)
{
    return [modal](MainWindowModel &model) {
        model.selectSidebarItem(SidebarItem::settings);
        model.setActiveSettingsModal(modal);
    };
}

// `text` typed into the search field (of the child `within` when named).
std::function<void(QWidget *)> search(const QString &text, const QString &within = {})
{
    return [=](QWidget *window) {
        QWidget *parent = within.isEmpty() ? window : window->findChild<QWidget *>(within);
        if (auto *field = parent ? parent->findChild<QLineEdit *>(QStringLiteral("searchField")) : nullptr)
            field->setText(text);
    };
}

// Each preparation in turn.
Prepare all(QList<Prepare> steps)
{
    return [steps](ScreenshotContext &context) {
        for (const Prepare &step : steps)
            step(context);
    };
}

void inMainInterface(ScreenshotContext &context)
{
    context.defaults().setBool(kCompleted, true);
    context.defaults().setBool(kAllow, true);
}

// An empty store in the environment.
void emptyStore(ScreenshotContext &context)
{
    context.models();
}

Prepare signedIn(const QString &userName)
{
    return [userName](ScreenshotContext &context) { context.signIn(userName); };
}

void grantAllPermissions(ScreenshotContext &context)
{
    context.permissionState->accessibility = true;
    context.permissionState->speech = SpeechRecognitionAuthorization::authorized;
    context.permissions.refresh();
}

// The dictation settings with a few rules and terms, French spoken, a formal
// tone with two switches off, and translation on or off.
Prepare dictationSettings(bool translation)
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
    for (const auto &sample : samples) {
        const QString text = QString::fromUtf8(sample.text);
        TranscriptionRecord record(text, text.split(QLatin1Char(' ')).size(), 4.0 + sample.minutesAgo % 50,
                                   QString::fromLatin1(sample.language), now.addSecs(-60LL * sample.minutesAgo));
        if (&sample == samples)
            record.id = kHistoryRecordId;
        store.insert(record);
    }
    (void)store.save();
}

// The general sheet over the settings hub, after `act` has worked the
// dictation recorder.
Build generalSheet(std::function<void(HotkeyRecorder &)> act = {}, const QString &storedMicrophone = {})
{
    return window(
        [storedMicrophone](ScreenshotContext &c) {
            inMainInterface(c);
            if (!storedMicrophone.isEmpty())
                c.defaults().setString(QStringLiteral("preferredMicrophoneID"), storedMicrophone);
        },
        sheet(SettingsModal::general), [act](QWidget *window) {
            if (act)
                act(*window->findChild<talvoro::settings::HotkeySettingView *>(
                           QStringLiteral("hotkeySetting.dictation"))->recorder());
        });
}

// A capture of the dictation recorder ended by one key press.
std::function<void(HotkeyRecorder &)> pressed(quint16 keyCode, quint64 modifiers)
{
    return [=](HotkeyRecorder &recorder) {
        recorder.startCapture();
        RecordedKeyPress press;
        press.keyCode = keyCode;
        press.modifiers = modifiers;
        recorder.handleKeyPress(press);
    };
}

// The statistics screen over stored figures: `weeks` weeks of chart ending
// on 1 December 2025 and `bestDay` as the stored best day.
Build statistics(qint64 dictations, int weeks, const QString &bestDay)
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

// `act` on the screen of type Screen that the window shows.
template<class Screen>
std::function<void(QWidget *)> on(std::function<void(Screen &)> act)
{
    return [act](QWidget *window) {
        if (auto *screen = window->findChild<Screen *>())
            act(*screen);
    };
}

// An alert is a window of its own, which a grab of the main window leaves
// out: the open alert is drawn inside the window instead, placed once the
// tool has sized the window.
void embedAlert(QWidget &screen)
{
    auto *box = screen.findChild<QMessageBox *>();
    QWidget *window = screen.window();
    if (!box)
        return;
    box->setParent(window, Qt::Widget);
    box->setAutoFillBackground(true);
    box->setStyleSheet(QStringLiteral("QMessageBox { border: 1px solid palette(mid); border-radius: 10px; }"));
    box->show();
    QTimer::singleShot(0, box, [box, window] {
        box->adjustSize();
        box->move((window->width() - box->width()) / 2, (window->height() - box->height()) / 3);
    });
}

// Personal dictionary terms from a fixed day, some used; with `english`,
// two English terms as well, so the picker and the badges show.
Prepare someTerms(bool english)
{
    return [english](ScreenshotContext &context) {
        inMainInterface(context);
        ModelContext &store = context.models().mainContext();
        const QStringList terms{"pt:Talvoro:14", "pt:Kubernetes:0", "pt:Grafana:1", "pt:Torvenak:3", "en:OpenAI:2",
                                "en:Postgres:0"};
        for (const QString &term : terms) {
            const QStringList parts = term.split(QLatin1Char(':'));
            if (!english && parts[0] == QLatin1String("en"))
                continue;
            DictionaryEntry entry(parts[1], parts[0], QStringLiteral("manual"));
            entry.useCount = parts[2].toLongLong();
            entry.createdAt = entry.updatedAt = QDateTime::fromSecsSinceEpoch(1'760'000'000);
            store.insert(entry);
        }
        (void)store.save();
    };
}

void fullDictionary(ScreenshotContext &context)
{
    inMainInterface(context);
    ModelContext &store = context.models().mainContext();
    for (int i = 1; i <= int(talvoro::dictionary::kMaxTermsPerLanguage); ++i)
        store.insert(DictionaryEntry(QStringLiteral("termo %1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("pt"),
                                     QStringLiteral("manual")));
    (void)store.save();
}

// The feedback form on a client that never answers (no picture sends),
// filled by `fill`.
Build feedbackForm(std::function<void(talvoro::feedback::FeedbackViewModel &)> fill)
{
    return [fill](ScreenshotContext &context) -> QWidget * {
        auto client = std::make_shared<BackendAPIClient>(signedOutAuth(),
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

// Three large single-colour pictures picked as screenshots.
void pickScreenshots(talvoro::feedback::FeedbackViewModel &model)
{
    fillFeedback(model);
    const QDir folder = pickedFilesFolder();
    QList<QUrl> files;
    for (const QColor &color : {QColor(Qt::darkCyan), QColor(Qt::darkMagenta), QColor(Qt::darkYellow)}) {
        QImage image(1600, 1000, QImage::Format_RGB32);
        image.fill(color);
        const QString path = folder.filePath(QStringLiteral("talvoro-feedback-%1.png").arg(files.size()));
        image.save(path, "PNG");
        files.append(QUrl::fromLocalFile(path));
    }
    model.loadImages(files);
}

// A stand-in portrait: a wide picture, so the centre crop shows.
QImage samplePortrait()
{
    QImage image(240, 160, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 160);
    sky.setColorAt(0, QColor(255, 196, 120));
    sky.setColorAt(1, QColor(214, 92, 74));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 42, 38));
    painter.drawEllipse(QPointF(120, 62), 30, 34);  // head
    painter.drawEllipse(QPointF(120, 170), 62, 58); // shoulders
    return image;
}

// The avatar at its three sizes in one of its states: "image", "loading",
// "initials" or "symbol". Still views: nothing is downloaded.
QWidget *avatarSheet(ScreenshotContext &context, const QString &state)
{
    auto *sheet = new QWidget;
    auto *row = new QHBoxLayout(sheet);
    row->setSpacing(28);
    row->addStretch();
    const QColor accent = talvoro::currentAccentColor(context.defaults(), context.dark);
    for (const AvatarSize size : {AvatarSize::small, AvatarSize::medium, AvatarSize::large}) {
        AvatarView::Options options;
        options.loader = nullptr;
        std::optional<QUrl> url = QUrl(QStringLiteral("https://example.com/avatar.jpg"));
        QString name = QStringLiteral("Maria Clara Souza");
        if (state == QLatin1String("image"))
            options.startingImage = samplePortrait();
        else if (state == QLatin1String("initials"))
            url.reset();
        else if (state == QLatin1String("symbol"))
            url.reset(), name.clear();
        row->addWidget(new AvatarView(name, url, size, accent, options), 0, Qt::AlignVCenter);
    }
    row->addStretch();
    return sheet;
}

enum class AccountShot { signedOut, signedIn, avatar, uploading };

// The account screen pushed over the settings hub.
Build accountScreen(AccountShot shot)
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
        QWidget *shown = window([](ScreenshotContext &) {}, route(SidebarItem::settings, DetailRoute::account))(context);
        QObject::connect(shown, &QObject::destroyed, [cache, loader, signedOut, secrets] {});
        if (shot == AccountShot::uploading) {
            auto *view = shown->findChild<talvoro::account::AccountView *>();
            const QString path = pickedFilesFolder().filePath(QStringLiteral("talvoro-avatar.png"));
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

UnansweredTokens &UnansweredTokens::line()
{
    static UnansweredTokens line;
    return line;
}

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
    const QSize tall(1100, 900);
    const QSize settingsPage(1100, 1000);
    const QSize card(600, 320);
    const Navigate settingsHub = sidebar(SidebarItem::settings);
    const Navigate history = sidebar(SidebarItem::history);
    const Navigate home = sidebar(SidebarItem::home);
    const Navigate rules = route(SidebarItem::talvoroSettings, DetailRoute::replacementRules);
    const Navigate dictionary = route(SidebarItem::talvoroSettings, DetailRoute::dictionary);
    QList<ScreenshotEntry> entries{
        // The window shell.
        {"shell", "onboarding", window([](ScreenshotContext &) {})},
        {"shell", "login", window([](ScreenshotContext &c) { c.defaults().setBool(kCompleted, true); })},
        {"shell", "home", window(inMainInterface)},
        {"shell", "settings", window(inMainInterface, settingsHub)},
        {"shell", "route-permissions", window(inMainInterface, route(SidebarItem::settings, DetailRoute::permissions))},
        {"shell", "sheet-general", window(inMainInterface, sheet(SettingsModal::general))},
        {"shell", "sheet-system", window(inMainInterface, sheet(SettingsModal::system))},
        {"shell", "sheet-small-window", window(inMainInterface, sheet(SettingsModal::general)), QSize(720, 520)},
    };
    // The avatar at its three sizes, one picture per state.
    for (const QString state : {"image", "loading", "initials", "symbol"})
        entries.append({"avatar", state, [state](ScreenshotContext &c) { return avatarSheet(c, state); },
                        QSize(360, 320)});
    entries += {
        // Dictation settings.
        {"dictationSettings", "signed-out", window(dictationSettings(false), sidebar(SidebarItem::talvoroSettings)),
         settingsPage},
        {"dictationSettings", "signed-in",
         window(all({dictationSettings(false), signedIn(QStringLiteral("Maria Clara Souza"))}),
                sidebar(SidebarItem::talvoroSettings)),
         settingsPage},
        {"dictationSettings", "translation-on", window(dictationSettings(true), sidebar(SidebarItem::talvoroSettings)),
         settingsPage},

        // General settings sheet: the hotkey recorder capturing and with each
        // message, and a stored microphone that is gone.
        {"generalSettings", "capturing", generalSheet([](HotkeyRecorder &r) { r.startCapture(); }), tall},
        {"generalSettings", "no-modifier", generalSheet(pressed(0, 0)), tall},
        {"generalSettings", "duplicate", generalSheet(pressed(3, MacModifier::control | MacModifier::shift)), tall},
        {"generalSettings", "microphone-unavailable", generalSheet({}, QStringLiteral("alsa_input.usb-Old_Headset")),
         tall},

        // History and its detail page.
        {"history", "empty", window(all({inMainInterface, emptyStore}), history)},
        {"history", "week", window(historyWeek, history), tall},
        {"history", "search", window(historyWeek, history, search(QStringLiteral("REUNI")))},
        {"history", "search-no-result", window(historyWeek, history, search(QStringLiteral("xyz")))},
        {"history", "detail", window(historyWeek, route(SidebarItem::history, HistoryDetailRoute{kHistoryRecordId}))},
        {"history", "not-found", window(historyWeek, route(SidebarItem::history, HistoryDetailRoute{QUuid::createUuid()}))},
        // Statistics.
        {"statistics", "no-data", statistics(0, 0, QString())},
        {"statistics", "full", statistics(1234, 8, QStringLiteral("2025-11-18")), tall},
        {"statistics", "three-weeks", statistics(57, 3, QStringLiteral("2025-11-18")), tall},
        {"statistics", "best-day-text", statistics(57, 0, QStringLiteral("ontem")), tall},
        // Home and its cards.
        {"home", "empty", window(all({inMainInterface, emptyStore}), home)},
        {"home", "signed-out", window(all({historyWeek, homeFigures}), home), tall},
        {"home", "account", window(all({historyWeek, homeFigures, signedIn(QStringLiteral("Ana Souza"))}), home), tall},
        {"home-quick-card", "one-day",
         [](ScreenshotContext &c) -> QWidget * {
             c.defaults().setInt64(SettingsKeys::syncWeekDictations.key(), 3);
             c.defaults().setInt64(SettingsKeys::syncWeekWords.key(), 41);
             c.defaults().setInt64(SettingsKeys::syncCurrentStreak.key(), 1);
             return new talvoro::home::StatsQuickCard(c.defaults());
         },
         card},
        {"home-usage-card", "over-limit",
         [](ScreenshotContext &c) -> QWidget * {
             UsageCounters{75, 70, 12, 0}.save(c.defaults());
             return new talvoro::home::WeeklyUsageCard(&c.signIn(QStringLiteral("Ana Souza")), c.defaults());
         },
         card},

        // Permissions and the system sheet with every permission granted
        // (the defaults show two missing); the hub signed in.
        {"permissions", "all-granted",
         window(all({inMainInterface, grantAllPermissions}), route(SidebarItem::settings, DetailRoute::permissions))},
        {"sheet-system", "all-granted", window(all({inMainInterface, grantAllPermissions}), sheet(SettingsModal::system))},
        {"settings", "signed-in", window(all({inMainInterface, signedIn(QStringLiteral("Ana Souza"))}), settingsHub),
         tall},
        // The replacement rules screen and its form.
        {"replacementRules", "empty", window(all({inMainInterface, emptyStore}), rules)},
        {"replacementRules", "rules", window(someRules, rules)},
        {"replacementRules", "search-no-results",
         window(someRules, rules, search(QStringLiteral("xyz"), QStringLiteral("replacementRulesView")))},
        {"replacementRules", "sheet-new",
         window(someRules, rules, on<ReplacementRulesView>([](ReplacementRulesView &v) { v.rulesModel()->openCreate(); }))},
        {"replacementRules", "sheet-edit", window(someRules, rules, on<ReplacementRulesView>([](ReplacementRulesView &v) {
             v.rulesModel()->openEditor(v.rulesModel()->rules().front());
         }))},
        // The personal dictionary, its limit alert and its form.
        {"dictionary", "empty", window(all({inMainInterface, emptyStore}), dictionary)},
        {"dictionary", "search-no-results",
         window(someTerms(false), dictionary, search(QStringLiteral("xyz"), QStringLiteral("dictionaryView")))},
        {"dictionary", "languages", window(all({someTerms(true), signedIn(QStringLiteral("Ana Souza"))}), dictionary)},
        {"dictionary", "limit-alert", window(fullDictionary, dictionary, on<DictionaryView>([](DictionaryView &v) {
             v.addTerm();
             embedAlert(v);
         }))},
        {"dictionary", "sheet-new", window(someTerms(true), dictionary, on<DictionaryView>(&DictionaryView::addTerm))},
        {"dictionary", "sheet-edit", window(someTerms(true), dictionary, on<DictionaryView>([](DictionaryView &v) {
             v.editEntry(v.editor()->query().results().front());
         }))},
        // Feedback.
        {"feedback", "empty", feedbackForm({}), tall},
        {"feedback", "filled", feedbackForm(fillFeedback), tall},
        {"feedback", "screenshots", feedbackForm(pickScreenshots), tall},
        // The account screen.
        {"account", "signed-in", accountScreen(AccountShot::signedIn), tall},
        {"account", "avatar", accountScreen(AccountShot::avatar), tall},
        {"account", "signed-out", accountScreen(AccountShot::signedOut), tall},
        {"account", "uploading", accountScreen(AccountShot::uploading), tall},
    };
    entries += onboardingScreenshotEntries();
    entries += accountManagementScreenshotEntries();
    return entries;
}
