#include "screens/onboarding-account/AvatarSize.h"

namespace talvoro {

QString avatarContentName(AvatarContent content)
{
    switch (content) {
    case AvatarContent::image: return QStringLiteral("image");
    case AvatarContent::loading: return QStringLiteral("loading");
    case AvatarContent::initials: return QStringLiteral("initials");
    case AvatarContent::symbol: return QStringLiteral("symbol");
    }
    return {};
}

} // namespace talvoro
