#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
#include <vector>

namespace talvoro::settings {

// One button of an alert: its caption, its role (QMessageBox::RejectRole for
// cancel, DestructiveRole for a deletion, AcceptRole otherwise) and what it
// does; an empty action only closes the alert.
struct AlertButton
{
    QString text;
    QMessageBox::ButtonRole role;
    std::function<void()> action;
    QString objectName;
};

// Opens a window-modal alert over `parent` with QMessageBox::open(): nothing
// blocks and the box deletes itself once closed. Esc and the default button
// are the cancel button, so a stray Return never confirms a deletion.
// `onClosed` runs after the button's action, however the alert closed.
QMessageBox *openAlert(QWidget *parent, const QString &title, const QString &message,
                       const std::vector<AlertButton> &buttons, std::function<void()> onClosed = {});

// Widens `box` so that `title` stays on one line (at least 360 px, at most
// 560). Call it after setInformativeText, which may lay the box out anew.
void keepTitleOnOneLine(QMessageBox *box, const QString &title);

// A deletion's confirmation: "Cancelar" (the default, "cancelButton") runs
// `onCancel`, "Excluir" (destructive, "deleteButton") runs `onDelete`.
QMessageBox *openDeleteConfirmation(QWidget *parent, const QString &title, const QString &message,
                                    std::function<void()> onCancel, std::function<void()> onDelete);

} // namespace talvoro::settings
