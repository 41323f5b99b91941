#pragma once

#include <QFont>

// Stand-in until the drawing kit lands.
namespace talvoro {
QFont systemFont(qreal pixelSize, QFont::Weight weight = QFont::Normal);
}
