#pragma once

#include "dictation/HotkeyManager.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

// The two presentations of the hotkey recorder.
enum class HotkeySettingViewStyle { expanded, compactRow };

// One key press as the recorder sees it, already in the stored format.
struct RecordedKeyPress
{
    std::optional<quint16> keyCode; // none: the key map cannot name the key
    quint64 modifiers = 0;          // macOS modifier bits
    // Qt reports presses of Shift, Control, Caps Lock… as key presses of
    // their own; AppKit does not, so they never end a capture.
    bool isModifierKey = false;
    bool isAutoRepeat = false;

    // The press of a Qt key event (native scan code first, then the Qt key
    // on a US layout).
    static RecordedKeyPress fromQt(quint32 nativeScanCode, int qtKey, Qt::KeyboardModifiers modifiers,
                                   bool isAutoRepeat);
};

// The rules of one hotkey recorder without widgets: whether it captures,
// the message under it, what a captured press or a restore does to the
// hotkey of its kind. The view feeds it the key presses it intercepts.
class HotkeyRecorder : public QObject
{
    Q_OBJECT
public:
    using Kind = HotkeyManager::HotkeyKind;

    // What a press did while capturing.
    enum class Outcome {
        ignored,        // a modifier key or a repeat: the capture goes on
        cancelled,      // Esc
        unnamed,        // a key the map cannot name, with a modifier: the capture ends, nothing changes
        missingModifier,
        accepted,
        duplicate,
    };
    Q_ENUM(Outcome)

    HotkeyRecorder(HotkeyManager &hotkeys, Kind kind, QObject *parent = nullptr);
    ~HotkeyRecorder() override;

    Kind kind() const { return m_kind; }

    bool isCapturing() const { return m_capturing; }
    // Empty when no message shows.
    QString validationMessage() const { return m_message; }

    // The kind's combination now, as "⌃⇧D"; the desktop's own description
    // where it gave the kind another trigger (the stored one does nothing).
    QString combinationText() const;
    // Says when the desktop left the kind without a trigger; else empty.
    QString bindingMessage() const;
    // The compact row's label and the expanded restore button of the kind.
    static QString rowLabel(Kind kind);
    static QString restoreLabel(Kind kind);

    // Clears the message and starts waiting for a press; a recorder of
    // another kind that was capturing stops.
    void startCapture();
    // Ends a capture and clears the message (the control went away).
    void disappear();
    // A press while capturing; the capture ends unless it is ignored.
    Outcome handleKeyPress(const RecordedKeyPress &press);
    // The kind's default combination; false when another kind holds it.
    bool restoreDefault();

    static QString missingModifierMessage();
    static QString duplicateMessage();

Q_SIGNALS:
    void capturingChanged(bool capturing);
    void validationMessageChanged();
    // The combination of the kind changed (here or anywhere else), or what
    // the desktop bound.
    void combinationChanged();

private:
    void setCapturing(bool capturing);
    void setMessage(const QString &message);

    HotkeyManager &m_hotkeys;
    const Kind m_kind;
    bool m_capturing = false;
    QString m_message;
};
