#include "platform/SpellChecking.h"

#include "platform/EnchantSpellChecker.h"

SpellChecking &SpellChecking::shared()
{
    return EnchantSpellChecker::shared();
}
