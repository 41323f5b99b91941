#pragma once

#include "look/Theme.h"

class QObject;
class QVariantAnimation;

namespace talvoro {

// A 0 → 1 animation that follows the spring (its settling time as duration,
// its positions as easing). Owned by parent; start it with
// QAbstractAnimation::DeleteWhenStopped.
QVariantAnimation *makeSpringAnimation(const SpringAnimation &spring, QObject *parent);

// The screenshot tool and widget tests switch the window's animations off
// so that every change lands at once.
bool shellAnimationsEnabled();
void setShellAnimationsEnabled(bool enabled);

} // namespace talvoro
