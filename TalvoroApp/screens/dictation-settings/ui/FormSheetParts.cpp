#include "screens/dictation-settings/ui/FormSheetParts.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "look/ui/FocusRing.h"
#include "look/ui/ReturnPressesButton.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/TintedButtonStyle.h"
#include "texts/Localization.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

namespace talvoro::forms {

namespace {

constexpr qreal kFocusRingRadius = 5;

// A flat button shows its keyboard focus as a ring in its label's colour
// (the style draws none on a flat button). A foreground style, when given,
// colours the label and follows the appearance.
class SheetButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

    void setForeground(std::function<QColor(bool dark)> foreground)
    {
        m_foreground = std::move(foreground);
        applyForeground();
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPushButton::paintEvent(event);
        if (isFlat() && ui::showsFocusRing(this)) {
            QPainter painter(this);
            ui::paintFocusRing(painter, rect(), kFocusRingRadius, palette().color(QPalette::ButtonText));
        }
    }

    void changeEvent(QEvent *event) override
    {
        QPushButton::changeEvent(event);
        if (event->type() == QEvent::PaletteChange)
            applyForeground();
    }

private:
    void applyForeground()
    {
        if (!m_foreground)
            return;
        const QColor color = m_foreground(ui::isDark(this));
        if (palette().color(QPalette::ButtonText) == color)
            return;
        QPalette p = palette();
        p.setColor(QPalette::ButtonText, color);
        setPalette(p);
    }

    std::function<QColor(bool dark)> m_foreground;
};

SheetButton *sheetButton(const QString &text, const char *objectName, QWidget *parent)
{
    auto *button = new SheetButton(text, parent);
    new ui::ReturnPressesButton(button);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}
} // namespace

SheetHeader sheetHeader(const QString &title, const QString &saveText, QWidget *parent)
{
    auto *header = new QWidget(parent);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(20, 16, 20, 12);
    SheetButton *cancel = sheetButton(localized("Cancelar"), "cancelButton", header);
    cancel->setFlat(true);
    cancel->setForeground(secondaryColor);
    row->addWidget(cancel);
    row->addStretch(1);
    auto *caption = new ui::StyledLabel(title, ui::StyledLabel::Style::primary, header);
    caption->setObjectName(QStringLiteral("sheetTitle"));
    caption->setFont(textStyleFont(TextStyle::headline, QFont::DemiBold));
    row->addWidget(caption);
    row->addStretch(1);
    QPushButton *save = sheetButton(saveText, "saveButton", header);
    ui::applyTintedButtonStyle(save, ui::TintedButtonStyle::prominent);
    row->addWidget(save);
    return {header, cancel, save};
}

QWidget *sheetDivider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, separatorColor(ui::isDark(parent)));
    line->setPalette(palette);
    return line;
}

QWidget *sheetSection(const QString &caption, QWidget *input, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto *label = new ui::StyledLabel(caption, ui::StyledLabel::Style::secondary, box);
    label->setFont(appRowFont());
    layout->addWidget(label);
    layout->addWidget(input, 1);
    return box;
}

QPushButton *sheetDeleteButton(const QString &text, QWidget *parent)
{
    SheetButton *button = sheetButton(text, "deleteButton", parent);
    button->setFlat(true);
    button->setForeground(systemRedColor);
    return button;
}

} // namespace talvoro::forms
