#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QMessageBox;
struct AppEnvironment;

namespace talvoro::ui {
class ActionButton;
class Spinner;
class SymbolLabel;
}

namespace talvoro::settings {
class FormSheetPresenter;
class TintedFrame;
struct AlertButton;
}

namespace talvoro::account {

class AccountManagementViewModel;

// The typed confirmation: the word, "Cancelar" and "Confirmar", and the
// progress while the deletion runs. Shown by the page as a form sheet.
class DeleteConfirmationSheet : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 400;

    explicit DeleteConfirmationSheet(AccountManagementViewModel &model, QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void refresh();
    void applyColors();

    AccountManagementViewModel &m_model;
    ui::SymbolLabel *m_symbol;
    QLineEdit *m_field;
    ui::ActionButton *m_confirm;
    QWidget *m_progress;
};

// "Gerenciar Conta": the warning box and the "Ações" card whose one row
// deletes the account after an alert and the typed confirmation. The
// rules live in AccountManagementViewModel; this draws them.
class AccountManagementView : public QWidget
{
    Q_OBJECT
public:
    explicit AccountManagementView(const AppEnvironment &environment, QWidget *parent = nullptr);

    AccountManagementViewModel *viewModel() const { return m_model; }
    settings::FormSheetPresenter *sheets() const { return m_sheets; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildWarningBox();
    QWidget *buildActionsCard();
    void refresh();
    void openTrackedAlert(QPointer<QMessageBox> &alert, const char *name, const QString &title,
                          const QString &message, const std::vector<settings::AlertButton> &buttons);
    void applyColors();

    AccountManagementViewModel *m_model;
    settings::FormSheetPresenter *m_sheets;
    QAbstractButton *m_deleteRow = nullptr;
    ui::SymbolLabel *m_deleteSymbol = nullptr;
    QLabel *m_deleteTitle = nullptr;
    ui::Spinner *m_deleteSpinner = nullptr;
    ui::SymbolLabel *m_warningSymbol = nullptr;
    settings::TintedFrame *m_warningFrame = nullptr;
    QPointer<QMessageBox> m_firstAlert;
    QPointer<QMessageBox> m_errorAlert;
};

} // namespace talvoro::account
