#pragma once

#include <QList>
#include <QObject>

#include <memory>

// A key combination in the stored format: macOS virtual key code and macOS
// modifier bits.
struct KeyCombination
{
    quint16 keyCode = 0;
    quint64 modifiers = 0;
    bool operator==(const KeyCombination &) const = default;
};

// System-wide keyboard monitoring for the hotkeys. It reports the presses of
// the combinations it was given (and of Esc without modifiers while that is
// switched on) on the thread it lives on; deciding what a press means is
// HotkeyManager's job.
class KeyboardMonitor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~KeyboardMonitor() override = default;

    // False when this session offers no way to see keys system-wide.
    virtual bool isAvailable() const = 0;
    // Replaces whatever was installed with these combinations.
    virtual void install(const QList<KeyCombination> &combinations) = 0;
    virtual void remove() = 0;
    virtual bool isInstalled() const = 0;
    // Esc is taken from the other applications only while a recording runs.
    virtual void setEscapeMonitored(bool monitored) = 0;

    // The X11 grab when an X display is reachable, otherwise a monitor that
    // does nothing (pure Wayland, no display at all).
    static std::unique_ptr<KeyboardMonitor> createForSession();

Q_SIGNALS:
    void keyPressed(quint16 keyCode, quint64 modifiers);
};

// Used where keys cannot be seen system-wide; says so once in the log.
class NullKeyboardMonitor final : public KeyboardMonitor
{
    Q_OBJECT
public:
    using KeyboardMonitor::KeyboardMonitor;

    bool isAvailable() const override { return false; }
    void install(const QList<KeyCombination> &combinations) override;
    void remove() override {}
    bool isInstalled() const override { return false; }
    void setEscapeMonitored(bool) override {}
};
