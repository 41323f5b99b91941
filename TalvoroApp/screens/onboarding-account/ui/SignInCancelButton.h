#pragma once

#include "look/ui/ActionButton.h"

#include <functional>

namespace talvoro::onboarding {

// "Cancelar" under a sign-in that waits for the browser. The system browser
// has no sheet of its own whose cancel the app would hear, so the screen
// offers the way out: the button, or Escape anywhere in `scope`, runs
// `cancel`. Its place is kept while hidden, so nothing around it moves.
class SignInCancelButton : public ui::ActionButton
{
    Q_OBJECT
public:
    SignInCancelButton(QWidget *scope, std::function<void()> cancel, QWidget *parent = nullptr);

    // Shown while a sign-in waits; it takes the focus from the sign-in
    // button (disabled meanwhile) and hands it back when the wait ends.
    // Called after the sign-in button's enabled state is set.
    void follow(bool signingIn, QWidget *signInButton);

private:
    std::function<void()> m_cancel;
};

} // namespace talvoro::onboarding
