#include "screens/settings/SystemSettings.h"

#include "account/SyncManager.h"
#include "account/SyncProviding.h"
#include "dictation/HotkeyManager.h"
#include "dictation/PermissionManager.h"
#include "look/AccentColorOption.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "platform/StartTask.h"
#include "platform/UserDefaultsProviding.h"
#include "texts/DateTexts.h"
#include "texts/Localization.h"
#include "texts/LocalizedTexts.h"

namespace talvoro::settings {

namespace {
QCoro::Task<> pullInto(SyncManager &sync, std::unique_ptr<ModelContext> context)
{
    co_await sync.pull(*context);
}
} // namespace

QString permissionBadgeText(int missingCount, bool portuguese)
{
    if (missingCount > 0)
        return localizedPendingPermissionCount(missingCount, portuguese);
    return localized("OK");
}

QString permissionBannerText(int missingCount, bool portuguese)
{
    if (missingCount > 0)
        return localizedPendingPermissionCount(missingCount, portuguese);
    return localized("Todas as permissões concedidas");
}

SyncStatus syncStatus(bool isSyncing, const std::optional<QDateTime> &lastSyncDate, const QDateTime &now,
                      bool portuguese)
{
    if (isSyncing)
        return {SyncStatus::Kind::syncing, {}};
    if (lastSyncDate && lastSyncDate->isValid())
        return {SyncStatus::Kind::lastSync, relativeDateText(*lastSyncDate, now, textLocale(portuguese))};
    return {};
}

void chooseAccentColor(UserDefaultsProviding &settings, SyncProviding *sync, const QString &rawValue)
{
    settings.set(SettingsKeys::keyboardAccentColor, rawValue);
    if (sync)
        sync->startSettingsPush();
}

void startManualPull(SyncManager &sync, AppModelContainer &models)
{
    startTask(&sync, pullInto(sync, models.makeContext()), "The manual pull");
}

const QList<PermissionRow> &permissionRows()
{
    static const QList<PermissionRow> rows{
        {PermissionRow::Kind::microphone, QT_TRANSLATE_NOOP("Talvoro", "Microfone"),
         QT_TRANSLATE_NOOP("Talvoro", "Necessário para gravação de áudio"), "mic.fill"},
        {PermissionRow::Kind::accessibility, QT_TRANSLATE_NOOP("Talvoro", "Acessibilidade"),
         QT_TRANSLATE_NOOP("Talvoro", "Necessário para colar texto no app ativo"), "hand.raised.fill"},
        {PermissionRow::Kind::speechRecognition, QT_TRANSLATE_NOOP("Talvoro", "Reconhecimento de Fala"),
         QT_TRANSLATE_NOOP("Talvoro", "Necessário para transcrição local quando offline"), "waveform"},
    };
    return rows;
}

bool isGranted(const PermissionManager &manager, PermissionRow::Kind kind)
{
    switch (kind) {
    case PermissionRow::Kind::microphone:
        return manager.microphoneGranted();
    case PermissionRow::Kind::accessibility:
        return manager.accessibilityGranted();
    case PermissionRow::Kind::speechRecognition:
        return manager.speechRecognitionGranted();
    }
    return false;
}

void requestPermission(PermissionManager &manager, PermissionRow::Kind kind)
{
    switch (kind) {
    case PermissionRow::Kind::microphone:
        manager.requestMicrophonePermission();
        break;
    case PermissionRow::Kind::accessibility:
        manager.openAccessibilitySettings();
        break;
    case PermissionRow::Kind::speechRecognition:
        manager.requestSpeechRecognitionPermission();
        break;
    }
}

bool isUnavailableOnThisDesktop(const PermissionManager &manager, const HotkeyManager *hotkeys,
                                PermissionRow::Kind kind)
{
    return kind == PermissionRow::Kind::accessibility && !manager.accessibilityGranted()
        && (!manager.accessibilityAvailable() || (hotkeys && !hotkeys->globalHotkeysAvailable()));
}

QString globalHotkeysUnavailableText()
{
    return localized("Atalhos globais não estão disponíveis nesta área de trabalho.");
}

} // namespace talvoro::settings
