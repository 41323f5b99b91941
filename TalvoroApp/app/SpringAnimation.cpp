#include "app/SpringAnimation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kSettleTolerance = 0.001;

double angularFrequency(const SpringAnimation &spring)
{
    return 2.0 * std::numbers::pi / std::max(spring.response, 1e-3);
}

double settleSeconds(const SpringAnimation &spring)
{
    const double decay = std::max(spring.dampingFraction, 0.05) * angularFrequency(spring);
    return std::log(1.0 / kSettleTolerance) / decay;
}

bool &animationsEnabledFlag()
{
    static bool enabled = true;
    return enabled;
}

} // namespace

int SpringAnimation::durationMs() const
{
    return static_cast<int>(std::lround(settleSeconds(*this) * 1000.0));
}

double SpringAnimation::valueAt(double progress) const
{
    if (progress <= 0.0)
        return 0.0;
    if (progress >= 1.0)
        return 1.0;
    const double t = progress * settleSeconds(*this);
    const double omega = angularFrequency(*this);
    const double zeta = std::clamp(dampingFraction, 0.05, 1.0);
    const double envelope = std::exp(-zeta * omega * t);
    if (zeta >= 1.0)
        return 1.0 - envelope * (1.0 + omega * t);
    const double damped = omega * std::sqrt(1.0 - zeta * zeta);
    return 1.0 - envelope * (std::cos(damped * t) + zeta * omega / damped * std::sin(damped * t));
}

namespace talvoro {

bool shellAnimationsEnabled()
{
    return animationsEnabledFlag();
}

void setShellAnimationsEnabled(bool enabled)
{
    animationsEnabledFlag() = enabled;
}

} // namespace talvoro
