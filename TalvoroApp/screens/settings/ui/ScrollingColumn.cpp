#include "screens/settings/ui/ScrollingColumn.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace talvoro::settings {

ScrollingColumn makeScrollingColumn(const QString &objectName, int maximumWidth, QWidget *parent)
{
    ScrollingColumn result;
    result.column = new QWidget;
    result.column->setObjectName(objectName + QStringLiteral("Column"));
    result.column->setMaximumWidth(maximumWidth);
    result.column->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    result.layout = new QVBoxLayout(result.column);

    // Stretch factors 1 : 1000 : 1 give the column all the width it can take;
    // the stretches only share what its maximum leaves.
    auto *canvas = new QWidget;
    canvas->setAutoFillBackground(false);
    auto *canvasLayout = new QHBoxLayout(canvas);
    canvasLayout->setContentsMargins(0, 0, 0, 0);
    canvasLayout->setSpacing(0);
    canvasLayout->addStretch(1);
    canvasLayout->addWidget(result.column, 1000);
    canvasLayout->addStretch(1);

    result.scroll = new QScrollArea(parent);
    result.scroll->setObjectName(objectName + QStringLiteral("Scroll"));
    result.scroll->setWidgetResizable(true);
    result.scroll->setFrameShape(QFrame::NoFrame);
    // Not a Tab stop (nothing shows it focused); Tab still scrolls the
    // focused control into view.
    result.scroll->setFocusPolicy(Qt::NoFocus);
    result.scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    result.scroll->viewport()->setAutoFillBackground(false);
    result.scroll->setWidget(canvas);
    return result;
}

} // namespace talvoro::settings
