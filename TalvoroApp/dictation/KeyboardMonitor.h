#pragma once

#include <QList>
#include <QObject>
#include <QString>

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

    // What the desktop made of one installed combination.
    enum class Binding {
        pending, // not asked yet, or no answer yet
        bound,   // it has a trigger
        refused, // the desktop left it without one
    };
    Q_ENUM(Binding)

    // False when this session offers no way to see keys system-wide.
    virtual bool isAvailable() const = 0;
    // Replaces whatever was installed with these combinations.
    virtual void install(const QList<KeyCombination> &combinations) = 0;
    virtual void remove() = 0;
    // Every installed combination is bound.
    virtual bool isInstalled() const = 0;
    // Esc is taken from the other applications only while a recording runs.
    virtual void setEscapeMonitored(bool monitored) = 0;
    // The installed combination at `index`.
    virtual Binding binding(qsizetype index) const
    {
        Q_UNUSED(index);
        return isInstalled() ? Binding::bound : Binding::pending;
    }
    // The desktop's own description of the trigger it gave the combination
    // at `index`, where that is another combination; empty otherwise.
    virtual QString desktopTrigger(qsizetype index) const
    {
        Q_UNUSED(index);
        return {};
    }

    // On Wayland the desktop portal's global shortcuts, on X11 the key
    // grab; otherwise a monitor that does nothing.
    static std::unique_ptr<KeyboardMonitor> createForSession();

Q_SIGNALS:
    void keyPressed(quint16 keyCode, quint64 modifiers);
    // Availability, bindings or the desktop's triggers changed after the
    // call that asked for them returned.
    void stateChanged();
};

// Used where keys cannot be seen system-wide; says once in the log why.
class NullKeyboardMonitor final : public KeyboardMonitor
{
    Q_OBJECT
public:
    explicit NullKeyboardMonitor(QString reason = QStringLiteral("no way to see keys system-wide"),
                                 QObject *parent = nullptr);

    bool isAvailable() const override { return false; }
    void install(const QList<KeyCombination> &combinations) override;
    void remove() override {}
    bool isInstalled() const override { return false; }
    void setEscapeMonitored(bool) override {}

private:
    QString m_reason;
    bool m_logged = false;
};
