#pragma once

#include "dictation/KeyboardMonitor.h"

#include <QByteArray>
#include <QHash>

class QSocketNotifier;
struct _XDisplay;

// Passive key grabs on the X root window, on a connection of our own so the
// grabs do not depend on the toolkit's platform plugin (the tests run Qt
// offscreen against an Xvfb display). A grabbed press goes to us alone, the
// way an event tap consumes it on macOS. Each combination is grabbed four
// times, with and without Num Lock and Caps Lock, since X compares the lock
// modifiers too.
class X11KeyboardMonitor final : public KeyboardMonitor
{
    Q_OBJECT
public:
    // An empty name means $DISPLAY.
    explicit X11KeyboardMonitor(const QByteArray &displayName = {}, QObject *parent = nullptr);
    ~X11KeyboardMonitor() override;

    bool isAvailable() const override { return m_display != nullptr; }
    void install(const QList<KeyCombination> &combinations) override;
    void remove() override;
    bool isInstalled() const override { return m_installed; }
    void setEscapeMonitored(bool monitored) override;

private:
    struct Grab
    {
        int keycode;
        unsigned int modifiers;
    };

    void applyGrabs();
    void releaseGrabs();
    bool grab(const KeyCombination &combination);
    int x11Keycode(quint16 macKeyCode) const;
    void readEvents();
    Q_INVOKABLE void connectionLost();

    _XDisplay *m_display = nullptr;
    unsigned long m_root = 0;
    QSocketNotifier *m_notifier = nullptr;
    bool m_evdevKeycodes = true;
    unsigned int m_numLockMask = 0;
    bool m_installed = false;
    bool m_escapeMonitored = false;
    QList<KeyCombination> m_combinations;
    QList<Grab> m_grabs;
    QHash<int, quint16> m_macKeyCodeForKeycode;
    int m_heldKeycode = 0;
};
