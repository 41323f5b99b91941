#pragma once

#include <array>
#include <optional>

// The wizard's pages in their order.
enum class OnboardingStep { welcome = 0, microphone = 1, accessibility = 2, hotkey = 3, login = 4 };

inline constexpr std::array kAllOnboardingSteps{OnboardingStep::welcome, OnboardingStep::microphone,
                                                OnboardingStep::accessibility, OnboardingStep::hotkey,
                                                OnboardingStep::login};

// nullopt outside 0…4.
std::optional<OnboardingStep> onboardingStepFromRawValue(int raw);
