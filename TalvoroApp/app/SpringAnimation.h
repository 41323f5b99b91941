#pragma once

// A damped spring described the way the product's animations are: response
// (the period of the undamped oscillation, in seconds) and damping fraction.
// Qt animations run on a duration and an easing; durationMs() is how long the
// spring takes to settle within 0.1% of its target, and valueAt() is the
// spring's position over that duration, usable as an easing.
struct SpringAnimation
{
    double response = 0.5;
    double dampingFraction = 0.825;
    // Kept for completeness: how long a new animation blends with a running
    // one. Qt restarts animations instead, so nothing reads it.
    double blendDuration = 0.0;

    int durationMs() const;
    // Progress in [0, 1] of durationMs() → position from 0 to 1; exactly 0
    // and 1 at the ends, a slight overshoot in between when underdamped.
    double valueAt(double progress) const;
};

namespace talvoro {

// `navigationAnimation`: pushes, pops, sheets.
inline constexpr SpringAnimation kNavigationSpring{0.34, 0.88, 0.12};
// `screenTransitionAnimation`: the gate switching the whole window content.
inline constexpr SpringAnimation kScreenTransitionSpring{0.42, 0.9, 0.12};

// The screenshot tool and widget tests switch animations off so every change
// lands at once.
bool shellAnimationsEnabled();
void setShellAnimationsEnabled(bool enabled);

} // namespace talvoro
