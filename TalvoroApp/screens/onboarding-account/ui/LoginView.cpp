#include "screens/onboarding-account/ui/LoginView.h"

#include "account/AppConfig.h"
#include "account/AuthManager.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/ActionButton.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "navigation/AppEnvironment.h"
#include "platform/SettingsKeys.h"
#include "platform/UrlOpener.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/onboarding-account/SignInRunner.h"
#include "screens/onboarding-account/ui/SignInCancelButton.h"
#include "screens/settings/ui/Alerts.h"
#include "screens/settings/ui/BrandedHeaderView.h"
#include "screens/settings/ui/TintedFrame.h"
#include "texts/Localization.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QShowEvent>
#include <QVBoxLayout>

namespace talvoro::onboarding {

namespace {

const QColor kOrange(0xFF, 0x95, 0x00);
const QString kTermsLink = QStringLiteral("terms");
const QString kPrivacyLink = QStringLiteral("privacy");

// The session-ended banner's rounded fill of orange at 10 %.
ui::StyledLabel *secondaryText(const QString &text, const QFont &font)
{
    auto *label = new ui::StyledLabel(text, ui::StyledLabel::Style::secondary);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

LoginView::LoginView(const AppEnvironment &environment, QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
    , m_signIn(new SignInRunner(environment.auth, this))
    , m_banner(new settings::TintedFrame(0.1, 0, 8))
    , m_signInButton(new ui::ActionButton(localized("Entrar"), ui::ActionButton::Style::prominent))
    , m_skip(new ui::ActionButton(localized("Pular"), ui::ActionButton::Style::bordered))
    , m_cancel(new SignInCancelButton(this, [runner = m_signIn] { runner->cancel(); }))
{
    UserDefaultsProviding &settings = *environment.settings;
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(40, 40, 40, 40);
    column->setSpacing(0);

    m_banner->setObjectName(QStringLiteral("login.sessionExpired"));
    m_banner->setColor(kOrange);
    auto *banner = new QHBoxLayout(m_banner);
    banner->setContentsMargins(16, 10, 16, 10);
    banner->setSpacing(8);
    auto *clock = new ui::SymbolLabel(QStringLiteral("clock.badge.exclamationmark"),
                                      qRound(1.25 * appHelperFont().pixelSize()));
    clock->setColor(kOrange);
    banner->addWidget(clock, 0, Qt::AlignVCenter);
    banner->addWidget(secondaryText(
        localized("Sua sessão foi encerrada automaticamente. Faça login para continuar."), appHelperFont()));
    column->addSpacing(8);
    column->addWidget(m_banner, 0, Qt::AlignHCenter);
    column->addStretch();

    auto *brand = new settings::BrandedHeaderView(QStringLiteral("talvoro"), settings);
    column->addWidget(brand, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    auto *subtitle = secondaryText(localized("Transcreva sua voz em qualquer app"), textStyleFont(TextStyle::title3));
    column->addWidget(subtitle, 0, Qt::AlignHCenter);
    column->addSpacing(32);

    m_signInButton->setObjectName(QStringLiteral("login.signIn"));
    m_signInButton->setLabelWidth(220);
    m_signInButton->setLabelVerticalPadding(8);
    m_signInButton->bindAccent(settings);
    column->addWidget(m_signInButton, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    m_skip->setObjectName(QStringLiteral("login.skip"));
    column->addWidget(m_skip, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    m_cancel->setObjectName(QStringLiteral("login.cancelSignIn"));
    column->addWidget(m_cancel, 0, Qt::AlignHCenter);
    column->addSpacing(12);

    auto *note = secondaryText(localized("Sem conta, suas transcrições usarão o reconhecimento básico da Apple. "
                                         "Funcionalidades como formatação avançada, ajuste de tom e sincronização "
                                         "não estarão disponíveis."),
                               appHelperFont());
    note->setObjectName(QStringLiteral("login.note"));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignHCenter);
    note->setFixedWidth(360);
    // Centred by stretches: a box layout does not give an aligned item the
    // height its wrapped lines need.
    auto *noteRow = new QHBoxLayout;
    noteRow->addStretch();
    noteRow->addWidget(note);
    noteRow->addStretch();
    column->addLayout(noteRow);
    column->addSpacing(24);

    // The legal row: two links in the accent colour around a secondary "e".
    auto *legal = new QHBoxLayout;
    legal->setSpacing(4);
    auto makeLink = [&](const QString &text, const QString &target) {
        auto *link = new QLabel(QStringLiteral("<a href=\"%1\" style=\"text-decoration:none\">%2</a>")
                                    .arg(target, text.toHtmlEscaped()));
        link->setObjectName(QStringLiteral("login.link.") + target);
        link->setFont(appHelperFont());
        link->setTextFormat(Qt::RichText);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        link->setCursor(Qt::PointingHandCursor);
        ui::AccentBinding::bind(
            link,
            [link](const QColor &accent) {
                QPalette palette = link->palette();
                palette.setColor(QPalette::Link, accent);
                link->setPalette(palette);
            },
            settings);
        connect(link, &QLabel::linkActivated, this, &LoginView::openLink);
        legal->addWidget(link);
    };
    makeLink(localized("Termos de Uso"), kTermsLink);
    legal->addWidget(secondaryText(localized("e"), appHelperFont()));
    makeLink(localized("Política de Privacidade"), kPrivacyLink);
    column->addLayout(legal);
    column->setAlignment(legal, Qt::AlignHCenter);
    column->addStretch();

    connect(m_signInButton, &QAbstractButton::clicked, m_signIn, &SignInRunner::start);
    connect(m_skip, &QAbstractButton::clicked, this, [&settings] {
        settings.set(SettingsKeys::allowUnauthenticatedAccess, true);
    });
    connect(m_signIn, &SignInRunner::changed, this, &LoginView::refresh);
    connect(m_signIn, &SignInRunner::failed, this, &LoginView::showError);
    if (environment.auth)
        connect(environment.auth, &AuthManager::sessionExpiredChanged, this, &LoginView::refresh);
    refresh();
}

void LoginView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The primary action takes the keyboard, so Space or Return signs in.
    if (!event->spontaneous() && m_signInButton->isEnabled())
        m_signInButton->setFocus(Qt::OtherFocusReason);
}

void LoginView::refresh()
{
    const bool busy = m_signIn->isSigningIn();
    m_banner->setVisible(m_environment.auth && m_environment.auth->sessionExpired());
    m_signInButton->setBusy(busy, localized("Entrando..."));
    m_signInButton->setEnabled(m_signIn->canStart());
    m_skip->setEnabled(!busy);
    m_cancel->follow(busy, m_signInButton);
}

QMessageBox *LoginView::errorAlert() const
{
    return m_alert;
}

void LoginView::showError(const QString &text)
{
    delete m_alert;
    const QString title = localized("Erro ao entrar");
    m_alert = new QMessageBox(QMessageBox::NoIcon, title, title, QMessageBox::NoButton, this);
    m_alert->setInformativeText(text);
    settings::keepTitleOnOneLine(m_alert, title);
    m_alert->setObjectName(QStringLiteral("login.errorAlert"));
    m_alert->addButton(localized("OK"), QMessageBox::RejectRole);
    m_alert->setAttribute(Qt::WA_DeleteOnClose);
    m_alert->open();
}

void LoginView::openLink(const QString &link)
{
    if (!m_environment.urlOpener)
        return;
    m_environment.urlOpener->open(link == kTermsLink ? AppConfig::termsOfUseURL() : AppConfig::privacyPolicyURL());
}

} // namespace talvoro::onboarding
