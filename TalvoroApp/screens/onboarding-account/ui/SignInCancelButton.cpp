#include "screens/onboarding-account/ui/SignInCancelButton.h"

#include "texts/Localization.h"

#include <QShortcut>

namespace talvoro::onboarding {

SignInCancelButton::SignInCancelButton(QWidget *scope, std::function<void()> cancel, QWidget *parent)
    : ui::ActionButton(localized("Cancelar"), ui::ActionButton::Style::borderless, parent)
    , m_cancel(std::move(cancel))
{
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    hide();
    connect(this, &QAbstractButton::clicked, this, [this] { m_cancel(); });
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), scope);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (!isHidden())
            m_cancel();
    });
}

void SignInCancelButton::follow(bool signingIn, QWidget *signInButton)
{
    if (signingIn == !isHidden())
        return;
    if (signingIn) {
        show();
        setFocus(Qt::OtherFocusReason);
        return;
    }
    const bool hadFocus = hasFocus();
    hide();
    if (hadFocus)
        signInButton->setFocus(Qt::OtherFocusReason);
}

} // namespace talvoro::onboarding
