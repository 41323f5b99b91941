#include "screens/settings/HotkeyRecorder.h"

#include "dictation/KeyCodeMap.h"
#include "texts/Localization.h"

using talvoro::localized;

namespace {

// One capture at a time across the application: the filter of the newest
// recorder would otherwise swallow every press before an older one saw it.
QPointer<HotkeyRecorder> &capturingRecorder()
{
    static QPointer<HotkeyRecorder> recorder;
    return recorder;
}

bool isModifierOrLockQtKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        return false;
    }
}

} // namespace

RecordedKeyPress RecordedKeyPress::fromQt(quint32 nativeScanCode, int qtKey, Qt::KeyboardModifiers modifiers,
                                          bool isAutoRepeat)
{
    RecordedKeyPress press;
    press.keyCode = KeyCodeMap::macKeyCodeForKeyEvent(nativeScanCode, qtKey, modifiers);
    press.modifiers = KeyCodeMap::macModifiersForQt(modifiers);
    press.isModifierKey = isModifierOrLockQtKey(qtKey) || (press.keyCode && KeyCodeMap::isModifierKey(*press.keyCode));
    press.isAutoRepeat = isAutoRepeat;
    return press;
}

HotkeyRecorder::HotkeyRecorder(HotkeyManager &hotkeys, Kind kind, QObject *parent)
    : QObject(parent)
    , m_hotkeys(hotkeys)
    , m_kind(kind)
{
    connect(&m_hotkeys, &HotkeyManager::hotkeysChanged, this, &HotkeyRecorder::combinationChanged);
    connect(&m_hotkeys, &HotkeyManager::monitoringChanged, this, &HotkeyRecorder::combinationChanged);
    // The hotkeys' own grab takes their presses before any window sees them;
    // while this recorder captures, the manager hands them over instead.
    connect(&m_hotkeys, &HotkeyManager::keyCaptured, this, [this](quint16 keyCode, quint64 modifiers) {
        RecordedKeyPress press;
        press.keyCode = keyCode;
        press.modifiers = modifiers;
        handleKeyPress(press);
    });
}

HotkeyRecorder::~HotkeyRecorder()
{
    // Without signals: the view listening may be half destroyed.
    if (capturingRecorder() == this)
        capturingRecorder() = nullptr;
    if (m_capturing)
        m_hotkeys.setKeyCaptureActive(false);
}

QString HotkeyRecorder::combinationText() const
{
    return m_hotkeys.triggerText(m_kind);
}

QString HotkeyRecorder::bindingMessage() const
{
    if (m_hotkeys.binding(m_kind) != KeyboardMonitor::Binding::refused)
        return {};
    return localized("A área de trabalho não deu uma tecla a este atalho; escolha uma nas configurações de atalhos "
                     "do sistema.");
}

QString HotkeyRecorder::rowLabel(Kind kind)
{
    switch (kind) {
    case Kind::dictation: return localized("Tecla de atalho");
    case Kind::translation: return localized("Tecla de tradução");
    case Kind::pasteLast: return localized("Tecla de colar última");
    }
    return {};
}

QString HotkeyRecorder::restoreLabel(Kind kind)
{
    switch (kind) {
    case Kind::dictation: return localized("Restaurar padrão (⌃⇧D)");
    case Kind::translation: return localized("Restaurar padrão (⌃⇧F)");
    case Kind::pasteLast: return localized("Restaurar padrão (⌃⇧V)");
    }
    return {};
}

QString HotkeyRecorder::missingModifierMessage()
{
    return localized("A combinação precisa incluir pelo menos um modificador (⌥, ⌃, ⌘ ou ⇧).");
}

QString HotkeyRecorder::duplicateMessage()
{
    return localized("Este atalho já está em uso.");
}

void HotkeyRecorder::startCapture()
{
    setMessage({});
    if (HotkeyRecorder *other = capturingRecorder(); other && other != this)
        other->setCapturing(false);
    setCapturing(true);
}

void HotkeyRecorder::disappear()
{
    setCapturing(false);
    setMessage({});
}

HotkeyRecorder::Outcome HotkeyRecorder::handleKeyPress(const RecordedKeyPress &press)
{
    if (!m_capturing || press.isModifierKey || press.isAutoRepeat)
        return Outcome::ignored;

    Outcome outcome;
    if (press.keyCode == MacKeyCode::escape) {
        outcome = Outcome::cancelled;
    } else if ((press.modifiers & MacModifier::mask) == 0) {
        outcome = Outcome::missingModifier;
        setMessage(missingModifierMessage());
    } else if (!press.keyCode) {
        outcome = Outcome::unnamed;
    } else {
        const quint64 modifiers = HotkeyManager::normalizedModifiers(press.modifiers & ~quint64(0xFFFF));
        const bool accepted = m_hotkeys.updateHotkey(m_kind, *press.keyCode, modifiers);
        outcome = accepted ? Outcome::accepted : Outcome::duplicate;
        setMessage(accepted ? QString() : duplicateMessage());
    }
    setCapturing(false);
    return outcome;
}

bool HotkeyRecorder::restoreDefault()
{
    setMessage({});
    const HotkeyManager::Hotkey fallback = HotkeyManager::defaultHotkey(m_kind);
    const bool accepted = m_hotkeys.updateHotkey(m_kind, fallback.keyCode, fallback.modifiers);
    if (!accepted)
        setMessage(duplicateMessage());
    return accepted;
}

void HotkeyRecorder::setCapturing(bool capturing)
{
    if (capturing == m_capturing)
        return;
    m_capturing = capturing;
    if (capturing)
        capturingRecorder() = this;
    else if (capturingRecorder() == this)
        capturingRecorder() = nullptr;
    m_hotkeys.setKeyCaptureActive(capturing);
    Q_EMIT capturingChanged(capturing);
}

void HotkeyRecorder::setMessage(const QString &message)
{
    if (message == m_message)
        return;
    m_message = message;
    Q_EMIT validationMessageChanged();
}
