#include "ScreenshotCatalog.h"

#include "AvatarScreenshots.h"

#include "app/MainWindowModel.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScreenRegistry.h"

namespace {

const QString kCompleted = QString::fromLatin1(MainWindowModel::kOnboardingCompletedKey);
const QString kAllow = QString::fromLatin1(MainWindowModel::kAllowUnauthenticatedAccessKey);

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

void inMainInterface(ScreenshotContext &context)
{
    context.defaults().setBool(kCompleted, true);
    context.defaults().setBool(kAllow, true);
}

} // namespace

ScreenshotContext::ScreenshotContext(bool portuguese, bool dark)
    : portuguese(portuguese)
    , dark(dark)
{
    // environment.auth stays null until a screen needs the account layer; the
    // window reads the signed-in state from `auth`.
    environment.settings = settings.store.get();
}

ScreenshotContext::~ScreenshotContext() = default;

MainWindowModel &ScreenshotContext::windowModel()
{
    if (!m_windowModel)
        m_windowModel = std::make_unique<MainWindowModel>(*settings.store, &auth);
    return *m_windowModel;
}

QList<ScreenshotEntry> screenshotEntries()
{
    return {
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
    };
}
