#pragma once

#include <QComboBox>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QWheelEvent>

// A menu-style picker: it changes only through its menu. A plain QComboBox
// steps its item on a wheel turn, so scrolling a page across a picker would
// silently change the setting behind it; the turn goes to the page instead.
// A choice too long for the picker ends in an ellipsis (Qt's styles clip it).
class MenuPicker final : public QComboBox
{
public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent *event) override { event->ignore(); }

    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
        const int iconWidth = option.currentIcon.isNull() ? 0 : option.iconSize.width() + 4;
        option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, field.width() - iconWidth);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};
