#include "dictation/HotkeyManager.h"

#include "texts/LocalizedTexts.h"
#include "dictation/DictationLogging.h"
#include "dictation/KeyCodeMap.h"
#include "platform/Logging.h"
#include "platform/SettingsKeys.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaultsProviding.h"

#include <QMetaObject>

namespace {

struct KindKeys
{
    const SettingKey<qint64> *keyCode;
    const SettingKey<quint64> *modifiers;
};

// By HotkeyKind.
constexpr KindKeys kSettingsKeys[] = {
    {&SettingsKeys::hotkeyKeyCode, &SettingsKeys::hotkeyModifiers},
    {&SettingsKeys::translationHotkeyKeyCode, &SettingsKeys::translationHotkeyModifiers},
    {&SettingsKeys::pasteLastHotkeyKeyCode, &SettingsKeys::pasteLastHotkeyModifiers},
};

static_assert(SettingsKeys::kDefaultHotkeyModifiers == (MacModifier::control | MacModifier::shift));

int indexOf(HotkeyManager::HotkeyKind kind)
{
    return static_cast<int>(kind);
}

constexpr HotkeyManager::HotkeyKind kAllKinds[] = {
    HotkeyManager::HotkeyKind::dictation,
    HotkeyManager::HotkeyKind::translation,
    HotkeyManager::HotkeyKind::pasteLast,
};

// Printed characters of the ANSI keys, by macOS virtual key code.
QString printedKeyName(quint16 keyCode)
{
    switch (keyCode) {
    case 0: return QStringLiteral("A");
    case 1: return QStringLiteral("S");
    case 2: return QStringLiteral("D");
    case 3: return QStringLiteral("F");
    case 4: return QStringLiteral("H");
    case 5: return QStringLiteral("G");
    case 6: return QStringLiteral("Z");
    case 7: return QStringLiteral("X");
    case 8: return QStringLiteral("C");
    case 9: return QStringLiteral("V");
    case 11: return QStringLiteral("B");
    case 12: return QStringLiteral("Q");
    case 13: return QStringLiteral("W");
    case 14: return QStringLiteral("E");
    case 15: return QStringLiteral("R");
    case 16: return QStringLiteral("Y");
    case 17: return QStringLiteral("T");
    case 18: return QStringLiteral("1");
    case 19: return QStringLiteral("2");
    case 20: return QStringLiteral("3");
    case 21: return QStringLiteral("4");
    case 22: return QStringLiteral("6");
    case 23: return QStringLiteral("5");
    case 24: return QStringLiteral("=");
    case 25: return QStringLiteral("9");
    case 26: return QStringLiteral("7");
    case 27: return QStringLiteral("-");
    case 28: return QStringLiteral("8");
    case 29: return QStringLiteral("0");
    case 30: return QStringLiteral("]");
    case 31: return QStringLiteral("O");
    case 32: return QStringLiteral("U");
    case 33: return QStringLiteral("[");
    case 34: return QStringLiteral("I");
    case 35: return QStringLiteral("P");
    case 37: return QStringLiteral("L");
    case 38: return QStringLiteral("J");
    case 39: return QStringLiteral("'");
    case 40: return QStringLiteral("K");
    case 41: return QStringLiteral(";");
    case 42: return QStringLiteral("\\");
    case 43: return QStringLiteral(",");
    case 44: return QStringLiteral("/");
    case 45: return QStringLiteral("N");
    case 46: return QStringLiteral("M");
    case 47: return QStringLiteral(".");
    case 50: return QStringLiteral("`");
    case 122: return QStringLiteral("F1");
    case 120: return QStringLiteral("F2");
    case 99: return QStringLiteral("F3");
    case 118: return QStringLiteral("F4");
    case 96: return QStringLiteral("F5");
    case 97: return QStringLiteral("F6");
    case 98: return QStringLiteral("F7");
    case 100: return QStringLiteral("F8");
    case 101: return QStringLiteral("F9");
    case 109: return QStringLiteral("F10");
    case 103: return QStringLiteral("F11");
    case 111: return QStringLiteral("F12");
    case 105: return QStringLiteral("F13");
    case 123: return QStringLiteral("←");
    case 124: return QStringLiteral("→");
    case 125: return QStringLiteral("↓");
    case 126: return QStringLiteral("↑");
    default: return {};
    }
}

} // namespace

HotkeyManager::HotkeyManager(UserDefaultsProviding &settings, std::unique_ptr<KeyboardMonitor> monitor,
                             QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_monitor(monitor ? std::move(monitor) : std::make_unique<NullKeyboardMonitor>())
{
    for (HotkeyKind kind : kAllKinds) {
        const Hotkey fallback = defaultHotkey(kind);
        const auto &keys = kSettingsKeys[indexOf(kind)];
        const qint64 keyCode = settings.value(*keys.keyCode);
        Hotkey &hotkey = m_hotkeys[indexOf(kind)];
        // A stored code outside the 16-bit range cannot name a key.
        hotkey.keyCode = (keyCode >= 0 && keyCode <= 0xFFFF) ? quint16(keyCode) : fallback.keyCode;
        hotkey.modifiers = settings.value(*keys.modifiers);
    }
    connect(m_monitor.get(), &KeyboardMonitor::keyPressed, this, &HotkeyManager::handleKeyPress);
    connect(m_monitor.get(), &KeyboardMonitor::stateChanged, this, &HotkeyManager::monitoringChanged);
}

HotkeyManager::~HotkeyManager() = default;

HotkeyManager &HotkeyManager::shared()
{
    return SharedInstance<HotkeyManager>::get();
}

QString HotkeyManager::kindName(HotkeyKind kind)
{
    switch (kind) {
    case HotkeyKind::dictation: return QStringLiteral("dictation");
    case HotkeyKind::translation: return QStringLiteral("translation");
    case HotkeyKind::pasteLast: return QStringLiteral("pasteLast");
    }
    return {};
}

HotkeyManager::Hotkey HotkeyManager::defaultHotkey(HotkeyKind kind)
{
    const auto &keys = kSettingsKeys[indexOf(kind)];
    return {quint16(keys.keyCode->fallback), keys.modifiers->fallback};
}

HotkeyManager::Hotkey HotkeyManager::currentHotkey(HotkeyKind kind) const
{
    return m_hotkeys[indexOf(kind)];
}

bool HotkeyManager::updateHotkey(HotkeyKind kind, quint16 keyCode, quint64 modifiers)
{
    for (HotkeyKind other : kAllKinds) {
        if (other == kind)
            continue;
        const Hotkey &taken = m_hotkeys[indexOf(other)];
        if (taken.keyCode == keyCode
            && (taken.modifiers & MacModifier::mask) == (modifiers & MacModifier::mask)) {
            qCCritical(lcHotkeyManager).noquote()
                << talvoro::phaseLine(QStringLiteral("hotkey_update_rejected"),
                                      {{QStringLiteral("reason"), QStringLiteral("duplicate")},
                                       {QStringLiteral("kind"), kindName(kind)}});
            return false;
        }
    }

    publish(kind, {keyCode, modifiers});
    const auto &keys = kSettingsKeys[indexOf(kind)];
    m_settings.set(*keys.keyCode, keyCode);
    m_settings.set(*keys.modifiers, modifiers);
    reinstallMonitoring();
    return true;
}

void HotkeyManager::publish(HotkeyKind kind, const Hotkey &hotkey)
{
    Hotkey &current = m_hotkeys[indexOf(kind)];
    const bool keyChanged = current.keyCode != hotkey.keyCode;
    const bool modifiersChanged = current.modifiers != hotkey.modifiers;
    current = hotkey;
    switch (kind) {
    case HotkeyKind::dictation:
        if (keyChanged)
            Q_EMIT currentKeyCodeChanged();
        if (modifiersChanged)
            Q_EMIT currentModifiersChanged();
        break;
    case HotkeyKind::translation:
        if (keyChanged)
            Q_EMIT currentTranslationKeyCodeChanged();
        if (modifiersChanged)
            Q_EMIT currentTranslationModifiersChanged();
        break;
    case HotkeyKind::pasteLast:
        if (keyChanged)
            Q_EMIT currentPasteLastKeyCodeChanged();
        if (modifiersChanged)
            Q_EMIT currentPasteLastModifiersChanged();
        break;
    }
    if (keyChanged || modifiersChanged)
        Q_EMIT hotkeysChanged();
}

quint64 HotkeyManager::normalizedModifiers(quint64 flags)
{
    return flags & MacModifier::mask;
}

QString HotkeyManager::modifierSymbols(quint64 flags)
{
    QString symbols;
    if (flags & MacModifier::control)
        symbols += QStringLiteral("⌃");
    if (flags & MacModifier::option)
        symbols += QStringLiteral("⌥");
    if (flags & MacModifier::shift)
        symbols += QStringLiteral("⇧");
    if (flags & MacModifier::command)
        symbols += QStringLiteral("⌘");
    return symbols;
}

QString HotkeyManager::keyDisplayName(quint16 keyCode, bool portuguese)
{
    if (const auto special = talvoro::specialKeyName(keyCode, portuguese))
        return *special;
    const QString printed = printedKeyName(keyCode);
    return printed.isEmpty() ? talvoro::unknownKeyName(keyCode, portuguese) : printed;
}

QString HotkeyManager::displayText(const Hotkey &hotkey, bool portuguese)
{
    return modifierSymbols(hotkey.modifiers) + keyDisplayName(hotkey.keyCode, portuguese);
}

void HotkeyManager::setDictationToggleHandler(std::function<void()> handler)
{
    m_dictationToggle = std::move(handler);
}

void HotkeyManager::setTranslationToggleHandler(std::function<void()> handler)
{
    m_translationToggle = std::move(handler);
}

void HotkeyManager::setCancelHandler(std::function<void()> handler)
{
    m_cancel = std::move(handler);
}

void HotkeyManager::setPasteLastHandler(std::function<void()> handler)
{
    m_pasteLast = std::move(handler);
}

void HotkeyManager::startMonitoring()
{
    reinstallMonitoring();
}

void HotkeyManager::stopMonitoring()
{
    m_monitor->remove();
}

bool HotkeyManager::isMonitoring() const
{
    return m_monitor->isInstalled();
}

void HotkeyManager::reinstallMonitoring()
{
    m_monitor->remove();
    m_monitor->install({m_hotkeys[0], m_hotkeys[1], m_hotkeys[2]});
}

KeyboardMonitor::Binding HotkeyManager::binding(HotkeyKind kind) const
{
    return m_monitor->binding(indexOf(kind));
}

QString HotkeyManager::desktopTrigger(HotkeyKind kind) const
{
    return m_monitor->desktopTrigger(indexOf(kind));
}

QString HotkeyManager::triggerText(HotkeyKind kind) const
{
    const QString desktop = desktopTrigger(kind);
    return desktop.isEmpty() ? displayText(currentHotkey(kind)) : desktop;
}

void HotkeyManager::setRecordingActive(bool active)
{
    m_recordingActive = active;
    m_monitor->setEscapeMonitored(active);
}

void HotkeyManager::handleKeyPress(quint16 keyCode, quint64 modifiers)
{
    if (m_keyCaptureActive) {
        // Outside the monitor's event reading, like an action: the recorder
        // may change the hotkeys.
        QMetaObject::invokeMethod(
            this, [this, keyCode, modifiers] { Q_EMIT keyCaptured(keyCode, modifiers); }, Qt::QueuedConnection);
        return;
    }
    const quint64 pressed = modifiers & MacModifier::mask;
    std::function<void()> HotkeyManager::*const handlers[] = {&HotkeyManager::m_dictationToggle,
                                                               &HotkeyManager::m_translationToggle,
                                                               &HotkeyManager::m_pasteLast};
    for (HotkeyKind kind : kAllKinds) {
        const Hotkey &hotkey = m_hotkeys[indexOf(kind)];
        if (hotkey.keyCode == keyCode && (hotkey.modifiers & MacModifier::mask) == pressed) {
            dispatch(handlers[indexOf(kind)]);
            return;
        }
    }
    if (keyCode == MacKeyCode::escape && pressed == 0 && m_recordingActive)
        dispatch(&HotkeyManager::m_cancel);
}

void HotkeyManager::dispatch(std::function<void()> HotkeyManager::*handler)
{
    if (!(this->*handler))
        return;
    // Run on the next turn of the main loop, outside the monitor's event
    // reading, so a handler may change the hotkeys.
    QMetaObject::invokeMethod(
        this,
        [this, handler] {
            if (this->*handler)
                (this->*handler)();
        },
        Qt::QueuedConnection);
}
