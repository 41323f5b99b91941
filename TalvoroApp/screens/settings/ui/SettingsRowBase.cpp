#include "screens/settings/ui/SettingsRowBase.h"

#include "look/ui/Appearance.h"
#include "look/ui/FocusRing.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/Symbols.h"
#include "screens/settings/SettingsStyle.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace talvoro::settings {

SettingsRowBase::SettingsRowBase(const QString &icon, const QString &title, UserDefaultsProviding &defaults,
                                 QWidget *parent)
    : QWidget(parent)
    , m_icon(new ui::SymbolLabel(icon, qRound(ui::symbolPixelSize(rowIconFont().pixelSize())), this))
    , m_title(new ui::StyledLabel(title, ui::StyledLabel::Style::primary, this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_icon->setObjectName(QStringLiteral("settingsRowIcon"));
    m_icon->setFixedWidth(metrics::rowIconColumnWidth);
    m_icon->bindAccent(defaults);
    m_title->setObjectName(QStringLiteral("settingsRowTitle"));
    m_title->setFont(settingsRowFont());
    setAccessibleName(title);
}

void SettingsRowBase::setIcon(const QString &symbol)
{
    m_icon->setSymbol(symbol);
}

void SettingsRowBase::setTitle(const QString &title)
{
    m_title->setText(title);
    setAccessibleName(title);
}

void SettingsRowBase::setTrailingSlot(QHBoxLayout *layout, int index, Qt::Alignment alignment)
{
    m_trailingLayout = layout;
    m_trailingIndex = index;
    m_trailingAlignment = alignment;
}

void SettingsRowBase::setTrailing(QWidget *trailing)
{
    if (trailing == m_trailing)
        return;
    if (m_trailing) {
        m_trailingLayout->removeWidget(m_trailing);
        m_trailing->deleteLater();
    }
    m_trailing = trailing;
    if (trailing) {
        trailing->setParent(this);
        m_trailingLayout->insertWidget(m_trailingIndex, trailing, 0, m_trailingAlignment);
        trailing->show();
    }
}

void SettingsRowBase::setClickable(bool clickable)
{
    m_clickable = clickable;
    setFocusPolicy(clickable ? Qt::StrongFocus : Qt::NoFocus);
    setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update();
}

void SettingsRowBase::mousePressEvent(QMouseEvent *event)
{
    if (!m_clickable || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    update();
}

void SettingsRowBase::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_clickable || event->button() != Qt::LeftButton || !m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    update();
    if (rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void SettingsRowBase::keyPressEvent(QKeyEvent *event)
{
    if (m_clickable && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        Q_EMIT clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingsRowBase::paintEvent(QPaintEvent *)
{
    const bool ring = ui::showsFocusRing(this);
    if (!m_pressed && !ring)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = ui::isDark(this);
    if (m_pressed)
        painter.fillRect(rect(), primaryColor(dark, 0.06));
    if (ring)
        ui::paintFocusRing(painter, rect(), 11, ui::focusRingColor(dark), 2);
}

QWidget *makeChevron(QWidget *parent)
{
    auto *chevron = new ui::SymbolLabel(QStringLiteral("chevron.right"),
                                        qRound(ui::symbolPixelSize(captionFont().pixelSize())), parent);
    chevron->setObjectName(QStringLiteral("settingsRowChevron"));
    chevron->setTint(ui::SymbolLabel::Tint::tertiary);
    return chevron;
}

} // namespace talvoro::settings
