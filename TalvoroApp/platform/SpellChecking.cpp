#include "platform/SpellChecking.h"

#include "platform/EnchantSpellChecker.h"

#include <atomic>

namespace {

std::atomic<SpellChecking *> &installedChecker()
{
    static std::atomic<SpellChecking *> checker{nullptr};
    return checker;
}

} // namespace

SpellChecking &SpellChecking::shared()
{
    if (SpellChecking *checker = installedChecker().load(std::memory_order_acquire))
        return *checker;
    return EnchantSpellChecker::shared();
}

void SpellChecking::installShared(SpellChecking *checker)
{
    installedChecker().store(checker, std::memory_order_release);
}
