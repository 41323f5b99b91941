#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace talvoro::forms {

// The pieces the term and rule sheets share. No button reacts to Return:
// the fields have no submit action.

// "Cancelar", the title in the headline font and the save button
// ("cancelButton", "sheetTitle", "saveButton").
struct SheetHeader
{
    QWidget *widget;
    QPushButton *cancel;
    QPushButton *save;
};
SheetHeader sheetHeader(const QString &title, const QString &saveText, QWidget *parent);

QWidget *sheetDivider(QWidget *parent);

// A caption in the row font, secondary, above its input.
QWidget *sheetSection(const QString &caption, QWidget *input, QWidget *parent);

// Edit mode's red delete button across the sheet ("deleteButton").
QPushButton *sheetDeleteButton(const QString &text, QWidget *parent);

} // namespace talvoro::forms
