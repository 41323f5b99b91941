#include "screens/onboarding-account/AvatarSize.h"

namespace talvoro {

QString avatarContentName(AvatarContent content)
{
    switch (content) {
    case AvatarContent::Image: return QStringLiteral("image");
    case AvatarContent::Loading: return QStringLiteral("loading");
    case AvatarContent::Initials: return QStringLiteral("initials");
    case AvatarContent::Symbol: return QStringLiteral("symbol");
    }
    return {};
}

} // namespace talvoro
