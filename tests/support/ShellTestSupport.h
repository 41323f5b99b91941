#pragma once

#include "account/AuthManager.h"

// An AuthManager whose signed-in state a test sets directly.
class TestAuthManager : public AuthManager
{
public:
    using AuthManager::AuthManager;

    void setAuthenticated(bool value)
    {
        if (m_isAuthenticated == value)
            return;
        m_isAuthenticated = value;
        Q_EMIT isAuthenticatedChanged();
    }
};
