#include "account/AuthManager.h"

AuthManager::AuthManager(QObject *parent)
    : QObject(parent)
{
}

AuthManager &AuthManager::shared()
{
    static AuthManager instance;
    return instance;
}
