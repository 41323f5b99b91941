#include "dictation/HotkeyActions.h"

#include "dictation/DictationLogging.h"
#include "dictation/HotkeyManager.h"
#include "platform/Logging.h"

namespace talvoro {

namespace {

auto logTrigger(const char *action)
{
    return [action, trigger = 0]() mutable {
        ++trigger;
        qCInfo(lcHotkeyManager).noquote()
            << phaseLine(QStringLiteral("hotkey_triggered"),
                         {{QStringLiteral("action"), QLatin1String(action)},
                          {QStringLiteral("trigger"), QString::number(trigger)}});
    };
}

} // namespace

void installHotkeyActions(HotkeyManager &hotkeys)
{
    hotkeys.setDictationToggleHandler(logTrigger("dictationToggle"));
    hotkeys.setTranslationToggleHandler(logTrigger("translationToggle"));
    hotkeys.setCancelHandler(logTrigger("cancel"));
    hotkeys.setPasteLastHandler(logTrigger("pasteLast"));
    hotkeys.startMonitoring();
}

} // namespace talvoro
