#pragma once

#include <QString>

class QScrollArea;
class QVBoxLayout;
class QWidget;

namespace talvoro::settings {

// A vertical column that takes the width up to `maximumWidth` and is centred
// beyond it, in a frameless scroll area that never scrolls sideways. Fill
// `layout`; `scroll` goes into the screen's layout.
struct ScrollingColumn
{
    QScrollArea *scroll = nullptr;
    QWidget *column = nullptr;
    QVBoxLayout *layout = nullptr;
};

ScrollingColumn makeScrollingColumn(const QString &objectName, int maximumWidth, QWidget *parent = nullptr);

} // namespace talvoro::settings
