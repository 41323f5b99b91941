#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

class QWidget;

namespace talvoro::settings {

class FormSheetOverlay;

// Shows a form as a window-modal sheet: the form sits centred over its
// owner's window on a dimmed backdrop that takes every click and key of the
// window (Tab cycles inside the form). Esc and a click on the backdrop close
// it like the form's "Cancelar".
// Nothing blocks: present() returns at once (no QDialog::exec, no nested event
// loop) and dismissed() tells the owner when the sheet has gone, however it
// went. Presenting another identity replaces the open sheet; presenting the
// open identity again keeps it and drops the new form.
class FormSheetPresenter : public QObject
{
    Q_OBJECT
public:
    explicit FormSheetPresenter(QWidget *owner);
    ~FormSheetPresenter() override;

    // Takes over `form`. A zero height sizes the sheet to its content.
    void present(QWidget *form, const QString &identity, QSize size);
    // Closes the open sheet, if any; the form is deleted later. dismissed()
    // follows only when no sheet is left open (not on a replacement).
    void dismiss();

    bool isPresented() const;
    QString identity() const { return m_identity; }
    QWidget *form() const;

Q_SIGNALS:
    void dismissed();

private:
    QPointer<QWidget> m_owner;
    QPointer<FormSheetOverlay> m_overlay;
    QString m_identity;
};

} // namespace talvoro::settings
