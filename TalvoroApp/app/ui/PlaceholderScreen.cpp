#include "app/ui/PlaceholderScreen.h"

#include <QLabel>
#include <QVBoxLayout>

PlaceholderScreen::PlaceholderScreen(const QString &title, const QString &detail, Style style,
                                     QWidget *parent)
    : QWidget(parent)
    , m_title(title)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->addStretch(1);
    auto *titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(QStringLiteral("placeholder.title"));
    titleLabel->setAlignment(Qt::AlignCenter);
    QFont font = titleLabel->font();
    font.setPixelSize(style == Style::sheet ? 24 : 28);
    font.setBold(true);
    titleLabel->setFont(font);
    layout->addWidget(titleLabel);
    if (!detail.isEmpty()) {
        auto *detailLabel = new QLabel(detail, this);
        detailLabel->setObjectName(QStringLiteral("placeholder.detail"));
        detailLabel->setAlignment(Qt::AlignCenter);
        detailLabel->setForegroundRole(QPalette::PlaceholderText);
        detailLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(detailLabel);
    }
    layout->addStretch(1);
}
