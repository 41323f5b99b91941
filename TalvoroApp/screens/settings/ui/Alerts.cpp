#include "screens/settings/ui/Alerts.h"

#include "texts/Localization.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPushButton>

#include <algorithm>

namespace talvoro::settings {

namespace {
constexpr int kAlertMinimumWidth = 360;
constexpr int kAlertMaximumWidth = 560;
} // namespace

void keepTitleOnOneLine(QMessageBox *box, const QString &title)
{
    // QMessageBox shrinks to its narrowest text column (a two-line message
    // gets about 150 px, and the title breaks); an empty row of this width in
    // its grid keeps the box readable and the title on one line.
    auto *grid = qobject_cast<QGridLayout *>(box->layout());
    if (!grid)
        return;
    QFont titleFont = box->font();
    titleFont.setBold(true);
    const int width = std::max(kAlertMinimumWidth, QFontMetrics(titleFont).horizontalAdvance(title) + 32);
    grid->addItem(new QSpacerItem(std::min(width, kAlertMaximumWidth), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QMessageBox *openAlert(QWidget *parent, const QString &title, const QString &message,
                       const std::vector<AlertButton> &buttons, std::function<void()> onClosed)
{
    auto *box = new QMessageBox(parent);
    box->setObjectName(QStringLiteral("alert"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::NoIcon);
    box->setText(title);
    box->setInformativeText(message);
    box->setWindowTitle(title);
    keepTitleOnOneLine(box, title);
    QPushButton *cancel = nullptr;
    for (const AlertButton &entry : buttons) {
        QPushButton *button = box->addButton(entry.text, entry.role);
        if (!entry.objectName.isEmpty())
            button->setObjectName(entry.objectName);
        if (entry.role == QMessageBox::RejectRole)
            cancel = button;
        // Esc and closing the window click the escape button, so every way
        // out passes here.
        QObject::connect(button, &QAbstractButton::clicked, box, [action = entry.action, onClosed] {
            if (action)
                action();
            if (onClosed)
                onClosed();
        });
    }
    if (cancel) {
        box->setDefaultButton(cancel);
        box->setEscapeButton(cancel);
    }
    box->open();
    return box;
}

QMessageBox *openDeleteConfirmation(QWidget *parent, const QString &title, const QString &message,
                                    std::function<void()> onCancel, std::function<void()> onDelete)
{
    return openAlert(parent, title, message,
                     {AlertButton{localized("Cancelar"), QMessageBox::RejectRole, std::move(onCancel),
                                  QStringLiteral("cancelButton")},
                      AlertButton{localized("Excluir"), QMessageBox::DestructiveRole, std::move(onDelete),
                                  QStringLiteral("deleteButton")}});
}

} // namespace talvoro::settings
