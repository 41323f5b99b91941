#include "screens/onboarding-account/ui/OnboardingSteps.h"

#include "account/AuthManager.h"
#include "dictation/PermissionManager.h"
#include "look/Theme.h"
#include "look/ui/ActionButton.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "screens/onboarding-account/OnboardingWizard.h"
#include "screens/onboarding-account/ui/OnboardingPermissionBadge.h"
#include "screens/settings/SystemSettings.h"
#include "screens/onboarding-account/ui/SignInCancelButton.h"
#include "screens/settings/ui/CardContainer.h"
#include "screens/settings/ui/HotkeySettingView.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "texts/Localization.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace talvoro::onboarding {

namespace {

const QColor kGreen(0x34, 0xC7, 0x59);
const QColor kRed(0xFF, 0x3B, 0x30);

QFont pageTitleFont()
{
    return textStyleFont(TextStyle::title2, QFont::DemiBold);
}

ui::StyledLabel *wrappedLabel(const QString &text, ui::StyledLabel::Style style, const QFont &font)
{
    auto *label = new ui::StyledLabel(text, style);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

OnboardingStepPage::OnboardingStepPage(const Header &header, UserDefaultsProviding &settings, QWidget *parent)
    : QWidget(parent)
    , m_column(new QVBoxLayout(this))
{
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(16);
    auto *symbol = new ui::SymbolLabel(header.symbol, qRound(1.25 * header.symbolSize));
    symbol->setObjectName(QStringLiteral("onboarding.symbol"));
    symbol->bindAccent(settings);
    m_column->addWidget(symbol, 0, Qt::AlignHCenter);
    m_column->addSpacing(8);
    auto *title = wrappedLabel(header.title, ui::StyledLabel::Style::primary, header.titleFont);
    title->setObjectName(QStringLiteral("onboarding.title"));
    m_column->addWidget(title);
    auto *description = wrappedLabel(header.description, ui::StyledLabel::Style::secondary, header.descriptionFont);
    description->setObjectName(QStringLiteral("onboarding.description"));
    m_column->addWidget(description);
}

void OnboardingStepPage::addControl(QWidget *control, int extraSpaceAbove)
{
    if (extraSpaceAbove > 0)
        m_column->addSpacing(extraSpaceAbove);
    m_column->addWidget(control, 0, control->sizePolicy().horizontalPolicy() == QSizePolicy::Expanding
                                        ? Qt::Alignment()
                                        : Qt::AlignHCenter);
}

ui::StyledLabel *OnboardingStepPage::hotkeysUnavailableLabel()
{
    auto *label = new ui::StyledLabel(settings::globalHotkeysUnavailableText(), ui::StyledLabel::Style::secondary);
    label->setObjectName(QStringLiteral("onboarding.hotkeysUnavailable"));
    label->setFont(appHelperFont());
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

ui::ActionButton *OnboardingStepPage::makeActionButton(const QString &text, const QString &symbol)
{
    auto *button = new ui::ActionButton(text, ui::ActionButton::Style::prominent);
    button->setSymbol(symbol);
    button->setLabelWidth(220);
    button->setLabelVerticalPadding(6);
    return button;
}

OnboardingWelcomeStep::OnboardingWelcomeStep(UserDefaultsProviding &settings, QWidget *parent)
    : OnboardingStepPage({QStringLiteral("mic.fill"), 56, textStyleFont(TextStyle::largeTitle, QFont::Bold),
                          localized("Bem-vindo ao Talvoro"), textStyleFont(TextStyle::title3),
                          localized("Transcreva sua voz em qualquer app do Mac")},
                         settings, parent)
{
    setObjectName(QStringLiteral("onboarding.page.welcome"));
}

OnboardingMicrophoneStep::OnboardingMicrophoneStep(PermissionManager *permissions, UserDefaultsProviding &settings,
                                                   QWidget *parent)
    : OnboardingStepPage({QStringLiteral("mic.badge.plus"), 48, pageTitleFont(),
                          localized("Precisamos acessar seu microfone"), appRowFont(),
                          localized("Para transcrever sua voz, o Talvoro precisa de permissão para usar o microfone.")},
                         settings, parent)
{
    setObjectName(QStringLiteral("onboarding.page.microphone"));
    auto *request = makeActionButton(localized("Permitir Microfone"), QStringLiteral("mic"));
    request->setObjectName(QStringLiteral("onboarding.requestMicrophone"));
    addControl(request, 8);
    auto *badge = new OnboardingPermissionBadge(false);
    badge->setObjectName(QStringLiteral("onboarding.badge"));
    addControl(badge);
    auto refresh = [request, badge, permissions] {
        const bool granted = permissions && permissions->microphoneGranted();
        request->setEnabled(permissions && !granted);
        badge->setGranted(granted);
    };
    refresh();
    if (permissions) {
        connect(request, &QAbstractButton::clicked, permissions, &PermissionManager::requestMicrophonePermission);
        connect(permissions, &PermissionManager::microphoneGrantedChanged, this, refresh);
    }
}

OnboardingAccessibilityStep::OnboardingAccessibilityStep(PermissionManager *permissions, const QString &explanation,
                                                         UserDefaultsProviding &settings, QWidget *parent)
    : OnboardingStepPage({QStringLiteral("hand.raised.fill"), 48, pageTitleFont(),
                          localized("Permissão de Acessibilidade"), appRowFont(), explanation},
                         settings, parent)
{
    setObjectName(QStringLiteral("onboarding.page.accessibility"));
    auto *open = makeActionButton(localized("Abrir Configurações"), QStringLiteral("gear"));
    open->setObjectName(QStringLiteral("onboarding.openAccessibilitySettings"));
    addControl(open, 8);
    auto *badge = new OnboardingPermissionBadge(false);
    badge->setObjectName(QStringLiteral("onboarding.badge"));
    addControl(badge);
    auto *unavailable = hotkeysUnavailableLabel();
    addControl(unavailable);
    auto refresh = [open, badge, unavailable, permissions] {
        const bool granted = permissions && permissions->accessibilityGranted();
        // Nothing to open or wait for where the desktop cannot grant it.
        const bool possible = !permissions || granted || permissions->accessibilityAvailable();
        open->setVisible(possible);
        open->setEnabled(permissions && !granted);
        badge->setVisible(possible);
        badge->setGranted(granted);
        unavailable->setVisible(!possible);
    };
    refresh();
    if (permissions) {
        connect(open, &QAbstractButton::clicked, permissions, &PermissionManager::openAccessibilitySettings);
        connect(permissions, &PermissionManager::accessibilityGrantedChanged, this, refresh);
    }
}

OnboardingHotkeyStep::OnboardingHotkeyStep(HotkeyManager *hotkeys, UserDefaultsProviding &settings, QWidget *parent)
    : OnboardingStepPage({QStringLiteral("keyboard"), 48, pageTitleFont(), localized("Seu atalho global"),
                          appRowFont(),
                          localized("Pressione este atalho em qualquer app para iniciar/parar a ditação.")},
                         settings, parent)
{
    setObjectName(QStringLiteral("onboarding.page.hotkey"));
    if (!hotkeys)
        return;
    auto *recorder = new settings::HotkeySettingView(HotkeySettingViewStyle::compactRow,
                                                     HotkeyManager::HotkeyKind::dictation, *hotkeys, settings);
    recorder->setObjectName(QStringLiteral("hotkeySetting.dictation"));
    auto *padded = new QWidget;
    auto *padding = new QVBoxLayout(padded);
    padding->setContentsMargins(20, 14, 20, 14);
    padding->setSpacing(0);
    padding->addWidget(recorder);
    auto *card = settings::cardContainer(padded);
    card->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addControl(card, 8);
    auto *unavailable = hotkeysUnavailableLabel();
    addControl(unavailable);
    auto refresh = [hotkeys, unavailable] { unavailable->setVisible(!hotkeys->globalHotkeysAvailable()); };
    refresh();
    connect(hotkeys, &HotkeyManager::monitoringChanged, this, refresh);
}

OnboardingLoginStep::OnboardingLoginStep(OnboardingWizard &wizard, UserDefaultsProviding &settings, QWidget *parent)
    : OnboardingStepPage({QStringLiteral("person.circle.fill"), 48, pageTitleFont(), localized("Entre na sua conta"),
                          appRowFont(), localized("Sincronize seu histórico entre dispositivos.")},
                         settings, parent)
    , m_wizard(wizard)
    , m_signedIn(new QWidget)
    , m_name(new ui::StyledLabel())
    , m_email(new ui::StyledLabel(QString(), ui::StyledLabel::Style::secondary))
    , m_signedOut(new QWidget)
    , m_signIn(makeActionButton(localized("Entrar"), QStringLiteral("person.badge.key")))
    , m_error(new QLabel)
    , m_cancel(new SignInCancelButton(this, [&wizard] { wizard.cancelSignIn(); }))
{
    setObjectName(QStringLiteral("onboarding.page.login"));

    m_signedIn->setObjectName(QStringLiteral("onboarding.account"));
    auto *account = new QHBoxLayout(m_signedIn);
    account->setContentsMargins(0, 0, 0, 0);
    account->setSpacing(8);
    auto *check = new ui::SymbolLabel(QStringLiteral("checkmark.circle.fill"),
                                      qRound(1.25 * textStylePixelSize(TextStyle::title3)));
    check->setColor(kGreen);
    account->addWidget(check, 0, Qt::AlignVCenter);
    auto *lines = new QVBoxLayout;
    lines->setSpacing(2);
    m_name->setObjectName(QStringLiteral("onboarding.userName"));
    m_name->setFont(systemFont(appRowFont().pixelSize(), QFont::Medium));
    m_email->setObjectName(QStringLiteral("onboarding.userEmail"));
    m_email->setFont(appHelperFont());
    lines->addWidget(m_name);
    lines->addWidget(m_email);
    account->addLayout(lines);
    addControl(m_signedIn, 8);

    auto *signedOut = new QVBoxLayout(m_signedOut);
    signedOut->setContentsMargins(0, 0, 0, 0);
    signedOut->setSpacing(12);
    m_signIn->setObjectName(QStringLiteral("onboarding.signIn"));
    signedOut->addSpacing(8);
    signedOut->addWidget(m_signIn, 0, Qt::AlignHCenter);
    m_cancel->setObjectName(QStringLiteral("onboarding.cancelSignIn"));
    signedOut->addWidget(m_cancel, 0, Qt::AlignHCenter);
    m_error->setObjectName(QStringLiteral("onboarding.signInError"));
    m_error->setFont(appHelperFont());
    m_error->setWordWrap(true);
    m_error->setAlignment(Qt::AlignHCenter);
    m_error->setTextFormat(Qt::PlainText);
    QPalette red = m_error->palette();
    red.setColor(QPalette::WindowText, kRed);
    m_error->setPalette(red);
    signedOut->addWidget(m_error);
    m_signedOut->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addControl(m_signedOut);

    connect(m_signIn, &QAbstractButton::clicked, &m_wizard, &OnboardingWizard::startSignIn);
    connect(&m_wizard, &OnboardingWizard::changed, this, &OnboardingLoginStep::refresh);
    refresh();
}

void OnboardingLoginStep::refresh()
{
    const bool signedIn = m_wizard.isAuthenticated();
    m_signedIn->setVisible(signedIn);
    m_signedOut->setVisible(!signedIn);
    if (signedIn) {
        const AuthManager *auth = m_wizard.auth();
        const auto name = auth->userName();
        const auto email = auth->userEmail();
        m_name->setText(name.value_or(QString()));
        m_name->setVisible(name && !name->isEmpty());
        m_email->setText(email.value_or(QString()));
        m_email->setVisible(email && !email->isEmpty());
        return;
    }
    m_signIn->setBusy(m_wizard.isSigningIn(), localized("Entrando..."));
    m_signIn->setEnabled(m_wizard.auth() && !m_wizard.isSigningIn());
    m_cancel->follow(m_wizard.isSigningIn(), m_signIn);
    const auto error = m_wizard.signInError();
    m_error->setText(error.value_or(QString()));
    m_error->setVisible(error.has_value());
}

} // namespace talvoro::onboarding
