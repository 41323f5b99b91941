#include "dictation/ui/RecordingOverlayPanel.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

RecordingOverlayPanel::RecordingOverlayPanel(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                          | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint)
    , m_layout(new QVBoxLayout(this))
{
    setObjectName(QStringLiteral("recordingOverlayPanel"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    m_layout->setContentsMargins(16, 10, 16, 10);
    resize(kDefaultSize);
}

void RecordingOverlayPanel::setContent(QWidget *content)
{
    if (m_content == content)
        return;
    delete m_content;
    m_content = content;
    if (content)
        m_layout->addWidget(content);
}

void RecordingOverlayPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    shape.addRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
    painter.fillPath(shape, QColor(24, 24, 27, 235));
    painter.setPen(QPen(QColor(255, 255, 255, 28), 1));
    painter.drawPath(shape);
}
