#include "navigation/MainWindowModel.h"

#include "platform/ShellLogging.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"

#include <QMetaProperty>

#include <algorithm>

namespace {

constexpr const char *kIsAuthenticatedProperty = "isAuthenticated";

} // namespace

MainWindowModel::MainWindowModel(UserDefaultsProviding &settings, QObject *auth, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_auth(auth)
{
    connect(&m_settings, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (key == SettingsKeys::onboardingCompleted || key == SettingsKeys::allowUnauthenticatedAccess)
            updateGate();
    });
    if (m_auth) {
        const QMetaObject *meta = m_auth->metaObject();
        const QMetaProperty property = meta->property(meta->indexOfProperty(kIsAuthenticatedProperty));
        const QMetaMethod update = metaObject()->method(metaObject()->indexOfSlot("updateGate()"));
        if (property.isValid() && property.hasNotifySignal())
            connect(m_auth, property.notifySignal(), this, update);
        else
            qCWarning(lcMainWindow) << meta->className() << "publishes no isAuthenticated; the gate sees nobody signed in";
    }
    m_gatePage = gatePageFor(m_settings.value(SettingsKeys::onboardingCompleted), isAuthenticated(),
                             m_settings.value(SettingsKeys::allowUnauthenticatedAccess));
}

GatePage MainWindowModel::gatePageFor(bool onboardingCompleted, bool isAuthenticated,
                                      bool allowUnauthenticatedAccess)
{
    if (!onboardingCompleted)
        return GatePage::onboarding;
    if (!isAuthenticated && !allowUnauthenticatedAccess)
        return GatePage::login;
    return GatePage::mainInterface;
}

bool MainWindowModel::isAuthenticated() const
{
    return m_auth && m_auth->property(kIsAuthenticatedProperty).toBool();
}

void MainWindowModel::updateGate()
{
    const GatePage page = gatePageFor(m_settings.value(SettingsKeys::onboardingCompleted), isAuthenticated(),
                                      m_settings.value(SettingsKeys::allowUnauthenticatedAccess));
    if (page == m_gatePage)
        return;
    m_gatePage = page;
    qCInfo(lcMainWindow).noquote() << "Showing" << talvoro::name(page);
    Q_EMIT gatePageChanged(page, Animation::screenTransition);
}

void MainWindowModel::selectSidebarItem(SidebarItem item)
{
    if (item == m_selectedSidebarItem)
        return;
    m_selectedSidebarItem = item;
    const bool hadPath = !m_path.isEmpty();
    m_path.clear();
    Q_EMIT selectedSidebarItemChanged(item);
    if (hadPath)
        Q_EMIT pathChanged(Animation::none);
}

void MainWindowModel::push(const NavigationDestination &destination)
{
    m_path.append(destination);
    Q_EMIT pathChanged(Animation::navigation);
}

void MainWindowModel::pop()
{
    if (m_path.isEmpty())
        return;
    m_path.removeLast();
    Q_EMIT pathChanged(Animation::navigation);
}

void MainWindowModel::dismiss(const NavigationDestination &destination)
{
    const qsizetype index = m_path.lastIndexOf(destination);
    if (index < 0)
        return;
    m_path.resize(index);
    Q_EMIT pathChanged(Animation::navigation);
}

void MainWindowModel::popToRoot()
{
    if (m_path.isEmpty())
        return;
    m_path.clear();
    Q_EMIT pathChanged(Animation::navigation);
}

void MainWindowModel::setActiveSettingsModal(std::optional<SettingsModal> modal, Animation animation)
{
    if (modal == m_activeSettingsModal)
        return;
    m_activeSettingsModal = modal;
    Q_EMIT activeSettingsModalChanged(animation);
}

QSize MainWindowModel::sheetSizeFor(QSize windowSize)
{
    return {std::max(320, std::min(620, windowSize.width() - 56)),
            std::max(320, std::min(700, windowSize.height() - 56))};
}

void MainWindowModel::setWindowSize(QSize size)
{
    const QSize before = sheetSize();
    m_windowSize = size;
    if (sheetSize() != before)
        Q_EMIT sheetSizeChanged(sheetSize());
}

void MainWindowModel::openPermissions()
{
    setActiveSettingsModal(std::nullopt, Animation::navigation);
    push(DetailRoute::permissions);
}

void MainWindowModel::resetOnboarding()
{
    setActiveSettingsModal(std::nullopt, Animation::navigation);
    m_settings.set(SettingsKeys::onboardingCompleted, false);
}
