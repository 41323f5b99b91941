#include "app/Theme.h"

namespace talvoro {
QFont systemFont(qreal pixelSize, QFont::Weight weight)
{
    QFont font(QStringLiteral("Inter"));
    font.setPixelSize(int(pixelSize));
    font.setWeight(weight);
    return font;
}
} // namespace talvoro
