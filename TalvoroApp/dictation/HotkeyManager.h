#pragma once

#include "texts/Localization.h"
#include "dictation/KeyboardMonitor.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class UserDefaultsProviding;

// The single owner of the three configurable global hotkeys and of the
// keyboard monitoring that turns their presses into the four actions.
class HotkeyManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(quint16 currentKeyCode READ currentKeyCode NOTIFY currentKeyCodeChanged)
    Q_PROPERTY(quint64 currentModifiers READ currentModifiers NOTIFY currentModifiersChanged)
    Q_PROPERTY(quint16 currentTranslationKeyCode READ currentTranslationKeyCode NOTIFY currentTranslationKeyCodeChanged)
    Q_PROPERTY(quint64 currentTranslationModifiers READ currentTranslationModifiers NOTIFY currentTranslationModifiersChanged)
    Q_PROPERTY(quint16 currentPasteLastKeyCode READ currentPasteLastKeyCode NOTIFY currentPasteLastKeyCodeChanged)
    Q_PROPERTY(quint64 currentPasteLastModifiers READ currentPasteLastModifiers NOTIFY currentPasteLastModifiersChanged)
public:
    enum class HotkeyKind { dictation, translation, pasteLast };
    Q_ENUM(HotkeyKind)

    using Hotkey = KeyCombination;

    HotkeyManager(UserDefaultsProviding &settings, std::unique_ptr<KeyboardMonitor> monitor,
                  QObject *parent = nullptr);
    ~HotkeyManager() override;

    // The manager the composition root made over the application's settings
    // and the session's keyboard monitor.
    static HotkeyManager &shared();

    static QString kindName(HotkeyKind kind);
    static Hotkey defaultHotkey(HotkeyKind kind);

    quint16 currentKeyCode() const { return m_hotkeys[0].keyCode; }
    quint64 currentModifiers() const { return m_hotkeys[0].modifiers; }
    quint16 currentTranslationKeyCode() const { return m_hotkeys[1].keyCode; }
    quint64 currentTranslationModifiers() const { return m_hotkeys[1].modifiers; }
    quint16 currentPasteLastKeyCode() const { return m_hotkeys[2].keyCode; }
    quint64 currentPasteLastModifiers() const { return m_hotkeys[2].modifiers; }

    Hotkey currentHotkey(HotkeyKind kind) const;
    // Refuses (false, nothing changed) a combination another kind already
    // has; otherwise publishes, stores and re-installs the monitoring.
    bool updateHotkey(HotkeyKind kind, quint16 keyCode, quint64 modifiers);

    static quint64 normalizedModifiers(quint64 flags);
    static QString modifierSymbols(quint64 flags);
    static QString keyDisplayName(quint16 keyCode, bool portuguese = talvoro::isPortuguese());
    // "⌃⇧D": the symbols immediately followed by the key's name.
    static QString displayText(const Hotkey &hotkey, bool portuguese = talvoro::isPortuguese());

    // The four actions, called on the main thread.
    void setDictationToggleHandler(std::function<void()> handler);
    void setTranslationToggleHandler(std::function<void()> handler);
    void setCancelHandler(std::function<void()> handler);
    void setPasteLastHandler(std::function<void()> handler);

    // Installs the monitoring of the three hotkeys (re-installed by every
    // accepted updateHotkey).
    void startMonitoring();
    void stopMonitoring();
    bool isMonitoring() const;
    // Esc cancels only while a recording runs; the dictation controller
    // tells us when that is.
    void setRecordingActive(bool active);
    bool isRecordingActive() const { return m_recordingActive; }

    // While a hotkey recorder captures, a press the monitoring takes (one of
    // the three hotkeys, or Esc during a recording) runs no action: it goes
    // to keyCaptured, as the recorder would have seen it without the grab.
    void setKeyCaptureActive(bool active) { m_keyCaptureActive = active; }

    KeyboardMonitor &monitor() { return *m_monitor; }
    // False where this desktop offers no way to have global hotkeys at all
    // (a Wayland desktop without the shortcuts portal, no display).
    bool globalHotkeysAvailable() const { return m_monitor->isAvailable(); }
    // What the desktop made of the kind's combination, while monitoring.
    KeyboardMonitor::Binding binding(HotkeyKind kind) const;
    // The desktop's description of the trigger it gave the kind, where that
    // is not the stored combination (which then does nothing); else empty.
    QString desktopTrigger(HotkeyKind kind) const;
    // What to show for the kind: the desktop's trigger where it has
    // another one, else the stored combination as "⌃⇧D".
    QString triggerText(HotkeyKind kind) const;

Q_SIGNALS:
    void currentKeyCodeChanged();
    void currentModifiersChanged();
    void currentTranslationKeyCodeChanged();
    void currentTranslationModifiersChanged();
    void currentPasteLastKeyCodeChanged();
    void currentPasteLastModifiersChanged();
    // Any of the three combinations changed.
    void hotkeysChanged();
    // Availability, bindings or the desktop's triggers changed.
    void monitoringChanged();
    // A press the monitoring took while a capture is active (main loop, queued).
    void keyCaptured(quint16 keyCode, quint64 modifiers);

private:
    void publish(HotkeyKind kind, const Hotkey &hotkey);
    void reinstallMonitoring();
    void handleKeyPress(quint16 keyCode, quint64 modifiers);
    // Runs the stored handler itself, so one that keeps state (a counter)
    // sees every press.
    void dispatch(std::function<void()> HotkeyManager::*handler);

    UserDefaultsProviding &m_settings;
    std::unique_ptr<KeyboardMonitor> m_monitor;
    Hotkey m_hotkeys[3];
    std::function<void()> m_dictationToggle;
    std::function<void()> m_translationToggle;
    std::function<void()> m_cancel;
    std::function<void()> m_pasteLast;
    bool m_recordingActive = false;
    bool m_keyCaptureActive = false;
};
