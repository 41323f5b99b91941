#include "screens/onboarding-account/ui/AccountManagementView.h"

#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/ActionButton.h"
#include "look/ui/Appearance.h"
#include "look/ui/PlainButton.h"
#include "look/ui/Spinner.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "navigation/AppEnvironment.h"
#include "screens/onboarding-account/AccountManagementViewModel.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/Alerts.h"
#include "screens/settings/ui/CardContainer.h"
#include "screens/settings/ui/FormSheetPresenter.h"
#include "screens/settings/ui/ScrollingColumn.h"
#include "screens/settings/ui/SectionHeader.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/TintedFrame.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "texts/Localization.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QVBoxLayout>

using talvoro::settings::AlertButton;

namespace talvoro::account {

namespace {

constexpr int kColumnMaximumWidth = 500;
constexpr int kColumnSpacing = 24;
constexpr qreal kWarningRadius = 16;
constexpr int kFieldMaximumWidth = 200;

QColor orange(const QWidget *widget)
{
    return AccentColorOption(AccentColorOption::orange).color(ui::isDark(widget));
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, color);
    widget->setPalette(palette);
}

// A button that calls the page's rules while they exist.
AlertButton modelButton(AccountManagementViewModel *model, const QString &text, QMessageBox::ButtonRole role,
                        void (AccountManagementViewModel::*action)(), const char *name)
{
    QPointer<AccountManagementViewModel> guard(model);
    return {text, role,
            [guard, action] {
                if (guard)
                    (guard.data()->*action)();
            },
            QLatin1String(name)};
}

// Without running the alert's cancel action, as close() would.
void closeAlert(QPointer<QMessageBox> &alert)
{
    if (!alert)
        return;
    alert->hide();
    alert->deleteLater();
    alert.clear();
}

} // namespace

DeleteConfirmationSheet::DeleteConfirmationSheet(AccountManagementViewModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("deleteConfirmationSheet"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 32, 32, 32);
    layout->setSpacing(20);

    m_symbol = new ui::SymbolLabel(QStringLiteral("exclamationmark.triangle.fill"), 40, this);
    layout->addWidget(m_symbol, 0, Qt::AlignHCenter);

    auto *title = new ui::StyledLabel(localized("Confirmar exclusão da conta"), ui::StyledLabel::Style::primary, this);
    title->setFont(textStyleFont(TextStyle::headline, QFont::DemiBold));
    title->setAlignment(Qt::AlignHCenter);
    layout->addWidget(title);

    auto *instruction = new ui::StyledLabel(
        localized("Digite APAGAR abaixo para confirmar a exclusão permanente da sua conta e todos os dados associados."),
        ui::StyledLabel::Style::secondary, this);
    instruction->setFont(appRowFont());
    instruction->setAlignment(Qt::AlignHCenter);
    instruction->setWordWrap(true);
    layout->addWidget(instruction);

    // Return is left to the sheet, which ignores it: only "Confirmar" deletes.
    m_field = new QLineEdit(m_model.deleteConfirmationText(), this);
    m_field->setObjectName(QStringLiteral("deleteConfirmationField"));
    m_field->setPlaceholderText(localized("Digite APAGAR"));
    m_field->setAlignment(Qt::AlignHCenter);
    m_field->setMaximumWidth(kFieldMaximumWidth);
    connect(m_field, &QLineEdit::textChanged, &m_model, &AccountManagementViewModel::setDeleteConfirmationText);
    // As wide as it may be (200 px), centred.
    auto *fieldRow = new QHBoxLayout;
    fieldRow->addStretch(1);
    fieldRow->addWidget(m_field, 100);
    fieldRow->addStretch(1);
    layout->addLayout(fieldRow);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    auto *cancel = new ui::ActionButton(localized("Cancelar"), ui::ActionButton::Style::bordered, this);
    cancel->setObjectName(QStringLiteral("cancelDeletion"));
    connect(cancel, &QAbstractButton::clicked, &m_model, &AccountManagementViewModel::cancelConfirmation);
    m_confirm = new ui::ActionButton(localized("Confirmar"), ui::ActionButton::Style::prominent, this);
    m_confirm->setObjectName(QStringLiteral("confirmDeletion"));
    connect(m_confirm, &QAbstractButton::clicked, &m_model, &AccountManagementViewModel::confirmDeletion);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(m_confirm);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    m_progress = new QWidget(this);
    m_progress->setObjectName(QStringLiteral("deletionProgress"));
    auto *progress = new QHBoxLayout(m_progress);
    progress->setContentsMargins(0, 0, 0, 0);
    progress->setSpacing(8);
    progress->addStretch(1);
    progress->addWidget(new ui::Spinner(16, m_progress));
    auto *progressLabel = new ui::StyledLabel(localized("Apagando conta..."), ui::StyledLabel::Style::primary, m_progress);
    progressLabel->setFont(appHelperFont());
    progress->addWidget(progressLabel);
    progress->addStretch(1);
    // Its room is kept while hidden: the sheet is sized once, when it opens.
    QSizePolicy policy = m_progress->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(policy);
    layout->addWidget(m_progress);

    connect(&m_model, &AccountManagementViewModel::changed, this, &DeleteConfirmationSheet::refresh);
    applyColors();
    refresh();
}

void DeleteConfirmationSheet::refresh()
{
    if (m_field->text() != m_model.deleteConfirmationText()) {
        const QSignalBlocker blocker(m_field);
        m_field->setText(m_model.deleteConfirmationText());
    }
    m_confirm->setEnabled(m_model.canConfirm());
    m_progress->setVisible(m_model.isDeletingAccount());
}

void DeleteConfirmationSheet::applyColors()
{
    const QColor red = systemRedColor(ui::isDark(this));
    m_symbol->setColor(red);
    m_confirm->setTint(red);
}

void DeleteConfirmationSheet::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

AccountManagementView::AccountManagementView(const AppEnvironment &environment, QWidget *parent)
    : QWidget(parent)
    , m_model(new AccountManagementViewModel(environment.auth, environment.makeBackendClient, this))
    , m_sheets(new settings::FormSheetPresenter(this))
{
    setObjectName(QStringLiteral("accountManagementView"));
    const settings::ScrollingColumn page =
        settings::makeScrollingColumn(QStringLiteral("accountManagement"), kColumnMaximumWidth, this);
    page.layout->setContentsMargins(24, 24, 24, 24);
    page.layout->setSpacing(kColumnSpacing);
    page.layout->addWidget(buildWarningBox());
    page.layout->addWidget(buildActionsCard());
    page.layout->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(
        new settings::ToolbarStrip(localized("Gerenciar Conta"), settings::ToolbarStrip::Placement::pushed, this));
    layout->addWidget(page.scroll, 1);

    // Esc and a click on the backdrop close the sheet and keep the text.
    connect(m_sheets, &settings::FormSheetPresenter::dismissed, m_model,
            &AccountManagementViewModel::confirmationDismissed);
    connect(m_model, &AccountManagementViewModel::changed, this, &AccountManagementView::refresh);
    applyColors();
    refresh();
}

QWidget *AccountManagementView::buildWarningBox()
{
    auto *box = new settings::TintedFrame(0.08, 0.2, kWarningRadius);
    m_warningFrame = box;
    box->setObjectName(QStringLiteral("irreversibleActionsWarning"));
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    m_warningSymbol = new ui::SymbolLabel(QStringLiteral("exclamationmark.triangle.fill"),
                                          int(textStylePixelSize(TextStyle::title3)), box);
    m_warningSymbol->setContentsMargins(0, 2, 0, 0);
    layout->addWidget(m_warningSymbol, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    auto *title = new ui::StyledLabel(localized("Zona de Ações Irreversíveis"), ui::StyledLabel::Style::primary, box);
    QFont titleFont = appRowFont();
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    auto *message = new ui::StyledLabel(
        localized("As ações nesta página podem excluir permanentemente seus dados. Prossiga com cuidado."),
        ui::StyledLabel::Style::secondary, box);
    message->setFont(appHelperFont());
    message->setWordWrap(true);
    texts->addWidget(title);
    texts->addWidget(message);
    layout->addLayout(texts, 1);
    return box;
}

QWidget *AccountManagementView::buildActionsCard()
{
    auto *row = new ui::PlainButton;
    row->setObjectName(QStringLiteral("deleteAccountRow"));
    row->setCursor(Qt::PointingHandCursor);
    row->setAccessibleName(localized("Excluir Conta"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(20, 14, 20, 14);
    layout->setSpacing(12);
    m_deleteSymbol = new ui::SymbolLabel(QStringLiteral("trash"), int(textStylePixelSize(TextStyle::body)), row);
    m_deleteSymbol->setFixedWidth(settings::metrics::rowIconColumnWidth);
    layout->addWidget(m_deleteSymbol);
    m_deleteTitle = new QLabel(localized("Excluir Conta"), row);
    m_deleteTitle->setFont(appRowFont());
    layout->addWidget(m_deleteTitle);
    layout->addStretch(1);
    m_deleteSpinner = new ui::Spinner(14, row);
    m_deleteSpinner->setObjectName(QStringLiteral("deleteAccountSpinner"));
    layout->addWidget(m_deleteSpinner);
    connect(row, &QAbstractButton::clicked, m_model, &AccountManagementViewModel::requestDeletion);
    m_deleteRow = row;

    auto *header = settings::sectionHeader(localized("Ações"));
    return settings::cardContainer(QList<QWidget *>{header, row});
}

void AccountManagementView::refresh()
{
    const bool deleting = m_model->isDeletingAccount();
    m_deleteRow->setEnabled(!deleting);
    m_deleteSpinner->setVisible(deleting);

    // An alert whose state ended another way than by its buttons is closed.
    if (!m_model->showDeleteFirstAlert())
        closeAlert(m_firstAlert);
    if (!m_model->showDeleteError())
        closeAlert(m_errorAlert);
    if (m_model->showDeleteFirstAlert() && !m_firstAlert)
        openTrackedAlert(m_firstAlert, "deleteAccountAlert", localized("Excluir Conta"),
                         localized("Todos os seus dados serão permanentemente excluídos, incluindo transcrições, "
                                   "regras de substituição e configurações. Esta ação não pode ser desfeita."),
                         {modelButton(m_model, localized("Cancelar"), QMessageBox::RejectRole,
                                      &AccountManagementViewModel::cancelFirstAlert, "cancelButton"),
                          modelButton(m_model, localized("Continuar"), QMessageBox::DestructiveRole,
                                      &AccountManagementViewModel::continueToConfirmation, "continueButton")});

    if (m_model->showDeleteConfirmation() && !m_sheets->isPresented()) {
        auto *sheet = new DeleteConfirmationSheet(*m_model);
        m_sheets->present(sheet, QStringLiteral("deleteConfirmation"), QSize(DeleteConfirmationSheet::kWidth, 0));
    } else if (!m_model->showDeleteConfirmation() && m_sheets->isPresented()) {
        m_sheets->dismiss();
    }

    if (m_model->showDeleteError() && !m_errorAlert)
        openTrackedAlert(m_errorAlert, "deleteAccountErrorAlert", localized("Erro ao excluir conta"),
                         m_model->deleteErrorMessage().value_or(QString()),
                         {modelButton(m_model, localized("OK"), QMessageBox::RejectRole,
                                      &AccountManagementViewModel::dismissError, "okButton")});
}

void AccountManagementView::openTrackedAlert(QPointer<QMessageBox> &alert, const char *name, const QString &title,
                                             const QString &message, const std::vector<settings::AlertButton> &buttons)
{
    // The alert is done with once a button ran, though Qt deletes it later.
    QPointer<AccountManagementView> self(this);
    QPointer<QMessageBox> *slot = &alert;
    alert = settings::openAlert(this, title, message, buttons, [self, slot] {
        if (self)
            slot->clear();
    });
    alert->setObjectName(QLatin1String(name));
}

void AccountManagementView::applyColors()
{
    const QColor red = systemRedColor(ui::isDark(this));
    m_deleteSymbol->setColor(red);
    setTextColor(m_deleteTitle, red);
    m_warningSymbol->setColor(orange(this));
    m_warningFrame->setColor(orange(this));
}

void AccountManagementView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

} // namespace talvoro::account
