#include "screens/onboarding-account/OnboardingStep.h"

std::optional<OnboardingStep> onboardingStepFromRawValue(int raw)
{
    if (raw < 0 || raw >= int(kAllOnboardingSteps.size()))
        return std::nullopt;
    return static_cast<OnboardingStep>(raw);
}
