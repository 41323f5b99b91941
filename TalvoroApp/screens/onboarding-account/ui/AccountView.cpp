#include "screens/onboarding-account/ui/AccountView.h"

#include "account/AuthManager.h"
#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"
#include "look/ui/PlainButton.h"
#include "look/ui/Spinner.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/Symbols.h"
#include "navigation/AppEnvironment.h"
#include "platform/AppPaths.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/Alerts.h"
#include "screens/settings/ui/AvatarView.h"
#include "screens/settings/ui/ScrollingColumn.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/SettingsRowView.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "texts/Localization.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace talvoro::settings;

namespace talvoro::account {

namespace {

constexpr int kColumnMaxWidth = 500;
constexpr int kColumnSpacing = 24;
constexpr int kAvatarDiameter = 80;
constexpr int kBadgeDiameter = 24;
constexpr int kBadgeOffset = 2;
constexpr int kBadgeSymbolPixels = 11;
constexpr int kActionRowSpacing = 12;
constexpr int kSubtitleSpacing = 3;
constexpr int kDividerInset = 20;
// The ultra-thin material: the window's own colour, mostly see-through.
constexpr qreal kVeilOpacity = 0.55;

QString withoutAccountText()
{
    return localized("Sem conta, suas transcrições usarão o reconhecimento básico da Apple. Funcionalidades como "
                     "formatação avançada, ajuste de tom e sincronização não estarão disponíveis.");
}

int bodySymbolPixels()
{
    return qRound(ui::symbolPixelSize(rowIconFont().pixelSize()));
}

ui::StyledLabel *textLabel(const QString &text, ui::StyledLabel::Style style, const QFont &font, QWidget *parent)
{
    auto *label = new ui::StyledLabel(text, style, parent);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A row's content with the rows' padding: 20 at the sides, 14 above and below.
QHBoxLayout *paddedRow(QWidget *row, int spacing = metrics::rowSpacing)
{
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(metrics::rowMargins);
    layout->setSpacing(spacing);
    return layout;
}

void setTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

// The camera on an accent disc at the avatar's bottom-trailing corner.
class CameraBadge : public QWidget
{
public:
    CameraBadge(UserDefaultsProviding &settings, QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(kBadgeDiameter, kBadgeDiameter);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        ui::AccentBinding::bind(this, [this](const QColor &color) { m_accent = color; update(); }, settings);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const QColor disc = accentSurfaceColor(m_accent);
        painter.setBrush(disc);
        painter.drawEllipse(rect());
        ui::paintSymbol(painter, rect(), QStringLiteral("camera.fill"), foregroundOnSurface(disc), kBadgeSymbolPixels);
    }

private:
    QColor m_accent;
};

// What lies over the avatar while a picture is sent or removed.
class UploadVeil : public QWidget
{
public:
    explicit UploadVeil(QWidget *parent)
        : QWidget(parent)
        , m_spinner(new ui::Spinner(16, this))
    {
        setObjectName(QStringLiteral("avatarUploadVeil"));
        setFixedSize(kAvatarDiameter, kAvatarDiameter);
        m_spinner->resize(m_spinner->sizeHint());
        m_spinner->move((kAvatarDiameter - m_spinner->width()) / 2, (kAvatarDiameter - m_spinner->height()) / 2);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = windowBackgroundColor(ui::isDark(this));
        fill.setAlphaF(kVeilOpacity);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawEllipse(rect());
    }

private:
    ui::Spinner *m_spinner;
};

} // namespace

// The avatar button with its badge and veil. The context menu belongs to
// this area, not to the button, so it still opens while the button is
// disabled.
class AvatarArea : public QWidget
{
public:
    AvatarArea(AccountView *view, const AppEnvironment &environment, QWidget *parent)
        : QWidget(parent)
        , m_view(view)
        , m_button(new ui::PlainButton(this))
    {
        setObjectName(QStringLiteral("accountAvatarArea"));
        const int side = kAvatarDiameter + kBadgeOffset;
        setFixedSize(side, side);
        m_button->setObjectName(QStringLiteral("accountAvatarButton"));
        m_button->setGeometry(0, 0, side, side);
        m_button->setCursor(Qt::PointingHandCursor);
        m_button->setAccessibleName(localized("Foto do perfil"));
        m_button->setFocusRingShape({-1, 0, {}});
        AvatarView::Options options;
        options.loader = environment.avatarLoader;
        AuthManager *auth = environment.auth;
        m_avatarView = new AvatarView(QString(), std::nullopt, AvatarSize::large, AvatarView::defaultAccentColor(),
                                      options, m_button);
        m_avatarView->setObjectName(QStringLiteral("accountAvatar"));
        m_avatarView->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_avatarView->move(0, 0);
        if (auth)
            m_avatarView->showUser(*auth);
        m_avatarView->followAccentColor(*environment.settings);
        auto *badge = new CameraBadge(*environment.settings, m_button);
        badge->move(kAvatarDiameter - kBadgeDiameter + kBadgeOffset, kAvatarDiameter - kBadgeDiameter + kBadgeOffset);
        m_veil = new UploadVeil(this);
        m_veil->move(0, 0);
        m_veil->hide();
    }

    ui::PlainButton *button() const { return m_button; }

    void setUploading(bool uploading)
    {
        m_button->setEnabled(!uploading);
        m_veil->setVisible(uploading);
        m_veil->raise();
    }

protected:
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        if (QMenu *menu = m_view->makeAvatarMenu(this))
            menu->popup(event->globalPos());
    }

private:
    AccountView *m_view;
    ui::PlainButton *m_button;
    AvatarView *m_avatarView;
    UploadVeil *m_veil;
};

AccountView::AccountView(const AppEnvironment &environment, Actions actions, QWidget *parent)
    : QWidget(parent)
    , m_settings(*environment.settings)
    , m_actions(std::move(actions))
    , m_model(new AccountViewModel(environment.auth, *environment.settings, environment.makeBackendClient,
                                   m_actions.dismiss, this))
{
    setObjectName(QStringLiteral("accountView"));
    // The cards are at most 500 px wide, with 24 px beside them.
    const ScrollingColumn page =
        makeScrollingColumn(QStringLiteral("account"), kColumnMaxWidth + 2 * kColumnSpacing, this);
    page.layout->setContentsMargins(kColumnSpacing, 8, kColumnSpacing, 16);
    page.layout->setSpacing(kColumnSpacing);
    page.layout->addWidget(buildProfileCard(environment));
    page.layout->addWidget(buildStatusCard());
    page.layout->addWidget(buildUsageCard());
    page.layout->addWidget(m_privacyCard = buildPrivacyCard());
    page.layout->addWidget(buildAccountButton());
    page.layout->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new ToolbarStrip(localized("Conta"), ToolbarStrip::Placement::pushed, this));
    layout->addWidget(page.scroll, 1);

    ui::AccentBinding::bind(this, [this](const QColor &color) { m_accent = color; refresh(); }, m_settings);
    connect(m_model, &AccountViewModel::changed, this, &AccountView::refresh);
    refresh();
}

QWidget *AccountView::buildProfileCard(const AppEnvironment &environment)
{
    auto *card = new SettingsCardView;
    card->setObjectName(QStringLiteral("accountProfileCard"));
    card->addHeader(localized("Conta"));
    auto *body = new QWidget(card);
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 16, 0, 16);
    layout->setSpacing(12);
    m_avatar = new AvatarArea(this, environment, body);
    connect(m_avatar->button(), &QAbstractButton::clicked, this, &AccountView::pickAvatar);
    layout->addWidget(m_avatar, 0, Qt::AlignHCenter);
    m_name = textLabel({}, ui::StyledLabel::Style::primary, textStyleFont(TextStyle::headline, QFont::DemiBold), body);
    m_name->setObjectName(QStringLiteral("accountName"));
    m_name->setAlignment(Qt::AlignHCenter);
    m_name->setWordWrap(true);
    layout->addWidget(m_name);
    m_email = textLabel({}, ui::StyledLabel::Style::secondary, settingsHelperFont(), body);
    m_email->setObjectName(QStringLiteral("accountEmail"));
    m_email->setAlignment(Qt::AlignHCenter);
    m_email->setWordWrap(true);
    layout->addWidget(m_email);
    card->addWidget(body);
    return card;
}

QWidget *AccountView::buildStatusCard()
{
    auto *card = new SettingsCardView;
    card->setObjectName(QStringLiteral("accountStatusCard"));
    card->addHeader(localized("Status"));
    auto *row = new QWidget(card);
    auto *layout = paddedRow(row);
    m_statusIcon = new ui::SymbolLabel({}, bodySymbolPixels(), row);
    m_statusText = textLabel({}, ui::StyledLabel::Style::primary, settingsRowFont(), row);
    m_statusText->setObjectName(QStringLiteral("accountStatus"));
    layout->addWidget(m_statusIcon);
    layout->addWidget(m_statusText);
    layout->addStretch(1);
    card->addWidget(row);
    return card;
}

QWidget *AccountView::buildUsageCard()
{
    auto *card = new SettingsCardView;
    card->setObjectName(QStringLiteral("accountUsageCard"));

    m_signedOutUsage = new QWidget(card);
    auto *signedOut = new QVBoxLayout(m_signedOutUsage);
    signedOut->setContentsMargins(0, 0, 0, 0);
    signedOut->setSpacing(0);
    auto *explanation = textLabel(withoutAccountText(), ui::StyledLabel::Style::secondary, settingsHelperFont(),
                                  m_signedOutUsage);
    explanation->setWordWrap(true);
    explanation->setContentsMargins(metrics::rowMargins);
    signedOut->addWidget(explanation);
    auto *divider = new QWidget(m_signedOutUsage);
    auto *dividerLayout = new QHBoxLayout(divider);
    dividerLayout->setContentsMargins(kDividerInset, 0, 0, 0);
    dividerLayout->addWidget(new SettingsSeparator(divider));
    signedOut->addWidget(divider);

    m_signInRow = new ui::PlainButton(m_signedOutUsage);
    m_signInRow->setObjectName(QStringLiteral("accountSignInRow"));
    m_signInRow->setCursor(Qt::PointingHandCursor);
    m_signInRow->setAccessibleName(localized("Entrar"));
    auto *rowLayout = paddedRow(m_signInRow, kActionRowSpacing);
    auto *icon = new ui::SymbolLabel(QStringLiteral("person.badge.key"), bodySymbolPixels(), m_signInRow);
    icon->setFixedWidth(metrics::rowIconColumnWidth);
    icon->bindAccent(m_settings);
    rowLayout->addWidget(icon, 0, Qt::AlignVCenter);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(kSubtitleSpacing);
    texts->addWidget(textLabel(localized("Entrar"), ui::StyledLabel::Style::primary, settingsRowFont(), m_signInRow));
    auto *subtitle = textLabel(withoutAccountText(), ui::StyledLabel::Style::secondary, settingsHelperFont(),
                               m_signInRow);
    subtitle->setWordWrap(true);
    texts->addWidget(subtitle);
    rowLayout->addLayout(texts, 1);
    rowLayout->addSpacing(kActionRowSpacing);
    m_signInSpinner = new ui::Spinner(16, m_signInRow);
    m_signInSpinner->setObjectName(QStringLiteral("accountSignInSpinner"));
    rowLayout->addWidget(m_signInSpinner, 0, Qt::AlignVCenter);
    m_signInArrow = new ui::SymbolLabel(QStringLiteral("arrow.up.right.square"), bodySymbolPixels(), m_signInRow);
    m_signInArrow->setTint(ui::SymbolLabel::Tint::tertiary);
    rowLayout->addWidget(m_signInArrow, 0, Qt::AlignVCenter);
    connect(m_signInRow, &QAbstractButton::clicked, m_model, &AccountViewModel::signIn);
    signedOut->addWidget(m_signInRow);
    card->addWidget(m_signedOutUsage);

    m_signedInUsage = new QWidget(card);
    auto *signedIn = paddedRow(m_signedInUsage);
    auto *chart = new ui::SymbolLabel(QStringLiteral("chart.bar"), bodySymbolPixels(), m_signedInUsage);
    chart->setFixedWidth(metrics::rowIconColumnWidth);
    chart->setTint(ui::SymbolLabel::Tint::secondary);
    signedIn->addWidget(chart);
    m_weeklyText = textLabel({}, ui::StyledLabel::Style::primary, settingsRowFont(), m_signedInUsage);
    m_weeklyText->setObjectName(QStringLiteral("accountWeeklyCount"));
    signedIn->addWidget(m_weeklyText);
    signedIn->addStretch(1);
    card->addWidget(m_signedInUsage);
    return card;
}

QWidget *AccountView::buildPrivacyCard()
{
    // The whole card is the link, header included.
    auto *link = new ui::PlainButton;
    link->setObjectName(QStringLiteral("accountManagementLink"));
    link->setCursor(Qt::PointingHandCursor);
    link->setAccessibleName(localized("Gerenciar Conta"));
    link->setFocusRingShape({metrics::cardCornerRadius, 0, {}});
    auto *layout = new QVBoxLayout(link);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *card = new SettingsCardView(link);
    card->addHeader(localized("Dados e Privacidade"));
    card->addWidget(new SettingsRowView(QStringLiteral("lock.shield"), localized("Gerenciar Conta"), makeChevron(),
                                        m_settings, card));
    layout->addWidget(card);
    connect(link, &QAbstractButton::clicked, this, [this] {
        if (m_actions.openAccountManagement)
            m_actions.openAccountManagement();
    });
    return link;
}

QWidget *AccountView::buildAccountButton()
{
    m_accountButton = new ui::PlainButton;
    m_accountButton->setObjectName(QStringLiteral("accountButton"));
    m_accountButton->setCursor(Qt::PointingHandCursor);
    m_accountButton->setFocusRingShape({metrics::cardCornerRadius, 0, {}});
    auto *outer = new QVBoxLayout(m_accountButton);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *card = new SettingsCardView(m_accountButton);
    auto *label = new QWidget(card);
    auto *layout = new QHBoxLayout(label);
    layout->setContentsMargins(0, metrics::rowVerticalPadding, 0, metrics::rowVerticalPadding);
    layout->setSpacing(8);
    layout->addStretch(1);
    m_accountButtonIcon = new ui::SymbolLabel({}, bodySymbolPixels(), label);
    layout->addWidget(m_accountButtonIcon);
    m_accountButtonText = new QLabel(label);
    QFont font = settingsRowFont();
    font.setWeight(QFont::Medium);
    m_accountButtonText->setFont(font);
    layout->addWidget(m_accountButtonText);
    layout->addStretch(1);
    card->addWidget(label);
    outer->addWidget(card);
    connect(m_accountButton, &QAbstractButton::clicked, this, &AccountView::accountButtonClicked);
    return m_accountButton;
}

void AccountView::accountButtonClicked()
{
    // Signing out asks nothing: the screen then leaves by itself.
    if (m_model->isAuthenticated())
        m_model->signOut();
    else
        m_model->signIn();
}

void AccountView::pickAvatar()
{
    if (!m_model->canPickAvatar() || !m_picker)
        return;
    QPointer<AccountViewModel> model(m_model);
    m_picker(this, [model](const ImportResult &result) {
        if (model)
            model->handleAvatarImport(result);
    });
}

QMenu *AccountView::makeAvatarMenu(QWidget *parent)
{
    if (!m_model->avatarURL())
        return nullptr;
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("accountAvatarMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *remove = menu->addAction(ui::symbolIcon(QStringLiteral("trash"), systemRedColor(ui::isDark(this)), 16),
                                      localized("Remover Foto"));
    remove->setObjectName(QStringLiteral("removeAvatar"));
    remove->setEnabled(m_model->canRemoveAvatar());
    connect(remove, &QAction::triggered, m_model, &AccountViewModel::startAvatarRemoval);
    return menu;
}

void AccountView::openImageFileDialog(QWidget *parent, std::function<void(const ImportResult &)> done)
{
    // Opened without a nested event loop; the outcome arrives as a signal.
    auto *dialog = new QFileDialog(parent, localized("Foto do perfil"),
                                   AppPaths::userFolder(QStandardPaths::PicturesLocation));
    dialog->setObjectName(QStringLiteral("avatarPicker"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(QStringList{localized("Imagens") +
                                       QStringLiteral(" (*.png *.jpg *.jpeg *.gif *.bmp *.webp *.tif *.tiff)")});
    // Qt's own widget dialog (no platform theme) signals only fileSelected,
    // a native one urlSelected; accepted and selectedUrls() hold for both.
    QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, done] { done(dialog->selectedUrls()); });
    QObject::connect(dialog, &QDialog::rejected, dialog, [done] { done(QList<QUrl>{}); });
    dialog->open();
}

void AccountView::refresh()
{
    const bool signedIn = m_model->isAuthenticated();
    const bool dark = ui::isDark(this);

    m_avatar->setUploading(m_model->isUploading());
    const std::optional<QString> name = m_model->userName();
    m_name->setText(name.value_or(QString()));
    m_name->setVisible(name.has_value());
    const std::optional<QString> email = m_model->userEmail();
    m_email->setText(email.value_or(QString()));
    m_email->setVisible(email.has_value());

    m_statusIcon->setSymbol(signedIn ? QStringLiteral("checkmark.circle.fill")
                                     : QStringLiteral("exclamationmark.triangle.fill"));
    m_statusIcon->setColor(AccentColorOption(signedIn ? AccentColorOption::green : AccentColorOption::orange).color(dark));
    m_statusText->setText(signedIn ? localized("Autenticado") : localized("Não autenticado"));

    m_signedOutUsage->setVisible(!signedIn);
    m_signedInUsage->setVisible(signedIn);
    const bool signingIn = m_model->isSigningIn();
    m_signInRow->setEnabled(m_model->canSignIn());
    m_signInSpinner->setVisible(signingIn);
    m_signInArrow->setVisible(!signingIn);
    m_weeklyText->setText(m_model->weeklyCountText());

    m_privacyCard->setVisible(signedIn);

    const QColor buttonColor = signedIn ? systemRedColor(dark) : m_accent;
    m_accountButtonIcon->setSymbol(signedIn ? QStringLiteral("rectangle.portrait.and.arrow.right")
                                            : QStringLiteral("person.badge.key"));
    m_accountButtonIcon->setColor(buttonColor);
    m_accountButtonText->setText(signedIn ? localized("Sair da Conta") : localized("Entrar"));
    setTextColor(m_accountButtonText, buttonColor);
    m_accountButton->setAccessibleName(m_accountButtonText->text());

    showSignInError();
}

QMessageBox *AccountView::signInErrorAlert() const
{
    return m_alert;
}

void AccountView::showSignInError()
{
    const std::optional<QString> message = m_model->signInErrorMessage();
    if (!message || m_alert)
        return;
    QPointer<AccountViewModel> model(m_model);
    m_alert = openAlert(this, localized("Erro ao entrar"), *message,
                        {{localized("OK"), QMessageBox::RejectRole, {}, QStringLiteral("signInErrorOK")}}, [model] {
                            if (model)
                                model->clearSignInError();
                        });
    m_alert->setObjectName(QStringLiteral("accountSignInErrorAlert"));
}

} // namespace talvoro::account
