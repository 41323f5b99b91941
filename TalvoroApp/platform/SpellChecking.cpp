#include "platform/SpellChecking.h"

#include "platform/SharedInstance.h"

SpellChecking &SpellChecking::shared()
{
    return SharedInstance<SpellChecking>::get();
}
