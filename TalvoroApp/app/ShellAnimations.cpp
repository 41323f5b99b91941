#include "app/ShellAnimations.h"

#include <QVariantAnimation>

namespace talvoro {

namespace {

bool &animationsEnabledFlag()
{
    static bool enabled = true;
    return enabled;
}

} // namespace

QVariantAnimation *makeSpringAnimation(const SpringAnimation &spring, QObject *parent)
{
    const TimedEasing timed = approximateSpring(spring);
    auto *animation = new QVariantAnimation(parent);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(timed.durationMs);
    animation->setEasingCurve(timed.curve);
    return animation;
}

bool shellAnimationsEnabled()
{
    return animationsEnabledFlag();
}

void setShellAnimationsEnabled(bool enabled)
{
    animationsEnabledFlag() = enabled;
}

} // namespace talvoro
