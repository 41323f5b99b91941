#include "screens/settings/ui/SettingsCardView.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/SectionHeader.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "look/ui/StyledLabel.h"

#include <QPainter>
#include <QVBoxLayout>

namespace talvoro::settings {

SettingsCardView::SettingsCardView(QWidget *parent)
    : QWidget(parent)
    , m_layout(new QVBoxLayout(this))
{
    setObjectName(QStringLiteral("settingsCard"));
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

QWidget *SettingsCardView::addHeader(const QString &title)
{
    auto *header = sectionHeader(title, this);
    m_layout->addWidget(header, 0, Qt::AlignLeft);
    m_lastWasRow = false;
    return header;
}

void SettingsCardView::addRow(QWidget *row)
{
    if (m_lastWasRow) {
        m_layout->addWidget(new SettingsSeparator(this));
        ++m_separators;
    }
    m_layout->addWidget(row);
    m_lastWasRow = true;
}

void SettingsCardView::addWidget(QWidget *widget, int stretch)
{
    m_layout->addWidget(widget, stretch);
    m_lastWasRow = false;
}

void SettingsCardView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = ui::isDark(this);
    const QRectF bounds(rect());
    painter.fillPath(continuousRoundedRect(bounds, metrics::cardCornerRadius), settingsSurfaceColor(dark));
    // The border runs along the inside of the edge: inset by half its width.
    const qreal inset = metrics::cardBorderWidth / 2;
    painter.setPen(QPen(primaryColor(dark, metrics::cardBorderOpacity), metrics::cardBorderWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedRect(bounds.adjusted(inset, inset, -inset, -inset),
                                           metrics::cardCornerRadius - inset));
}

} // namespace talvoro::settings
