#pragma once

#include "platform/UserDefaultsProviding.h"
#include "screens/dictation-settings/TalvoroSettingsModel.h"
#include "transcription/FormattingOptions.h"

#include <QList>

#include <qcorotask.h>

namespace talvoro::test {

// Stands in for the synchroniser behind the dictation settings screen: counts
// the pushes it starts (with the formatting options stored at that moment)
// and the pulls it asks for.
struct RecordingSyncHooks
{
    UserDefaultsProviding *settings = nullptr;
    int pushes = 0;
    QList<int> pulls;
    QList<FormattingOptions> storedOptionsAtPush;

    void reset(UserDefaultsProviding *store = nullptr)
    {
        settings = store;
        pushes = 0;
        pulls.clear();
        storedOptionsAtPush.clear();
    }

    TalvoroSettingsModel::Hooks hooks()
    {
        return {[this] {
                    ++pushes;
                    if (settings)
                        storedOptionsAtPush.append(FormattingOptions::loadFromUserDefaults(*settings));
                },
                [this](int seconds) {
                    pulls.append(seconds);
                    return finished();
                }};
    }

private:
    static QCoro::Task<void> finished() { co_return; }
};

} // namespace talvoro::test
