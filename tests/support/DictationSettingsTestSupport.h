#pragma once

#include "account/SyncDefaults.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/dictation-settings/TalvoroSettingsModel.h"
#include "transcription/FormattingOptions.h"

#include <QList>

#include <qcorotask.h>

namespace talvoro::test {

// Stands in for the synchroniser behind the dictation settings screen: counts
// the pushes it starts (with the settings block a push would read at that
// moment) and the pulls it asks for.
struct RecordingSyncHooks
{
    UserDefaultsProviding *settings = nullptr;
    int pushes = 0;
    QList<int> pulls;
    QList<FormattingOptions> storedOptionsAtPush;
    QList<QJsonObject> blocksAtPush;

    void reset(UserDefaultsProviding *store = nullptr)
    {
        settings = store;
        pushes = 0;
        pulls.clear();
        storedOptionsAtPush.clear();
        blocksAtPush.clear();
    }

    TalvoroSettingsModel::Hooks hooks()
    {
        return {[this] {
                    ++pushes;
                    if (!settings)
                        return;
                    storedOptionsAtPush.append(FormattingOptions::loadFromUserDefaults(*settings));
                    blocksAtPush.append(SyncDefaults::currentSettingsBlock(*settings).toJsonObject());
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
