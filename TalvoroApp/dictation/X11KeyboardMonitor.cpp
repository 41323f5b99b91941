#include "dictation/X11KeyboardMonitor.h"

#include "dictation/DictationLogging.h"
#include "dictation/HotkeyManager.h"
#include "dictation/KeyCodeMap.h"

#include <QMetaObject>
#include <QSocketNotifier>

// Xlib last: its macros (None, Bool, KeyPress...) clash with Qt headers.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

// Grab failures arrive as asynchronous protocol errors; the handler is
// installed only around the XSync that follows the grabs.
int g_lastGrabError = 0;
int recordGrabError(Display *, XErrorEvent *event)
{
    g_lastGrabError = event->error_code;
    return 0;
}

unsigned int x11Modifiers(quint64 macModifiers)
{
    unsigned int mask = 0;
    if (macModifiers & MacModifier::shift)
        mask |= ShiftMask;
    if (macModifiers & MacModifier::control)
        mask |= ControlMask;
    if (macModifiers & MacModifier::option)
        mask |= Mod1Mask;
    if (macModifiers & MacModifier::command)
        mask |= Mod4Mask;
    return mask;
}

quint64 macModifiers(unsigned int state)
{
    quint64 flags = 0;
    if (state & ShiftMask)
        flags |= MacModifier::shift;
    if (state & ControlMask)
        flags |= MacModifier::control;
    if (state & Mod1Mask)
        flags |= MacModifier::option;
    if (state & Mod4Mask)
        flags |= MacModifier::command;
    return flags;
}

unsigned int numLockMask(Display *display)
{
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    if (numLock == 0)
        return 0;
    XModifierKeymap *map = XGetModifierMapping(display);
    if (!map)
        return 0;
    unsigned int mask = 0;
    for (int modifier = 0; modifier < 8 && mask == 0; ++modifier) {
        for (int i = 0; i < map->max_keypermod; ++i) {
            if (map->modifiermap[modifier * map->max_keypermod + i] == numLock) {
                mask = 1u << modifier;
                break;
            }
        }
    }
    XFreeModifiermap(map);
    return mask;
}

void onConnectionLost(Display *, void *userData)
{
    // Called from inside Xlib; the monitor tidies up on the next loop turn.
    QMetaObject::invokeMethod(static_cast<X11KeyboardMonitor *>(userData), "connectionLost",
                              Qt::QueuedConnection);
}

} // namespace

X11KeyboardMonitor::X11KeyboardMonitor(const QByteArray &displayName, QObject *parent)
    : KeyboardMonitor(parent)
{
    Display *display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!display) {
        qCWarning(lcHotkeyManager) << "Cannot open the X display"
                                   << (displayName.isEmpty() ? qgetenv("DISPLAY") : displayName);
        return;
    }
    m_display = display;
    m_root = DefaultRootWindow(display);
    // Without this the process would exit when the X server goes away.
    XSetIOErrorExitHandler(display, onConnectionLost, this);

    // evdev keycodes (the scan code + 8) are what every current X server
    // uses; an older keycode set is reached through the US keysyms instead.
    const KeyCode up = XKeysymToKeycode(display, XK_Up);
    m_evdevKeycodes = up == 0 || up == KeyCodeMap::scanCodeForMacKeyCode(126).value_or(0);
    m_numLockMask = numLockMask(display);
    // A held hotkey then repeats as presses without releases in between,
    // which tells repeats from new presses.
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(display, True, &detectable);

    m_notifier = new QSocketNotifier(ConnectionNumber(display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11KeyboardMonitor::readEvents);
}

X11KeyboardMonitor::~X11KeyboardMonitor()
{
    if (!m_display)
        return;
    releaseGrabs();
    XCloseDisplay(m_display);
}

void X11KeyboardMonitor::install(const QList<KeyCombination> &combinations)
{
    m_combinations = combinations;
    m_installed = true;
    applyGrabs();
}

void X11KeyboardMonitor::remove()
{
    m_installed = false;
    releaseGrabs();
}

void X11KeyboardMonitor::setEscapeMonitored(bool monitored)
{
    if (m_escapeMonitored == monitored)
        return;
    m_escapeMonitored = monitored;
    if (m_installed)
        applyGrabs();
}

int X11KeyboardMonitor::x11Keycode(quint16 macKeyCode) const
{
    if (m_evdevKeycodes)
        return int(KeyCodeMap::scanCodeForMacKeyCode(macKeyCode).value_or(0));
    const auto keysym = KeyCodeMap::keysymForMacKeyCode(macKeyCode);
    return keysym ? XKeysymToKeycode(m_display, *keysym) : 0;
}

void X11KeyboardMonitor::applyGrabs()
{
    releaseGrabs();
    if (!m_display)
        return;
    for (const auto &combination : std::as_const(m_combinations))
        grab(combination);
    if (m_escapeMonitored)
        grab({MacKeyCode::escape, 0});
    // A key held now stays held: the server keeps the grab its press
    // activated until the release, which reaches us whatever we re-grab, so
    // its repeats must still be ignored (a toggle that switches Esc on
    // re-grabs while the hotkey is down).
    // XSync may have moved events into Xlib's queue without the socket
    // becoming readable again.
    QMetaObject::invokeMethod(this, &X11KeyboardMonitor::readEvents, Qt::QueuedConnection);
}

bool X11KeyboardMonitor::grab(const KeyCombination &combination)
{
    const QString name = HotkeyManager::modifierSymbols(combination.modifiers)
                         + HotkeyManager::keyDisplayName(combination.keyCode, false);
    const int keycode = x11Keycode(combination.keyCode);
    if (keycode == 0) {
        qCWarning(lcHotkeyManager).noquote() << "No key on this keyboard for hotkey" << name;
        return false;
    }
    const unsigned int modifiers = x11Modifiers(combination.modifiers);
    QList<unsigned int> variants{0, LockMask};
    if (m_numLockMask != 0)
        variants << m_numLockMask << (m_numLockMask | LockMask);

    g_lastGrabError = 0;
    const auto previousHandler = XSetErrorHandler(recordGrabError);
    for (unsigned int lock : variants)
        XGrabKey(m_display, keycode, modifiers | lock, m_root, False, GrabModeAsync, GrabModeAsync);
    XSync(m_display, False);
    XSetErrorHandler(previousHandler);

    if (g_lastGrabError != 0) {
        qCWarning(lcHotkeyManager).noquote() << "Hotkey" << name << "is already taken by another application";
        for (unsigned int lock : variants)
            XUngrabKey(m_display, keycode, modifiers | lock, m_root);
        XSync(m_display, False);
        return false;
    }
    for (unsigned int lock : variants)
        m_grabs.append({keycode, modifiers | lock});
    m_macKeyCodeForKeycode.insert(keycode, combination.keyCode);
    return true;
}

void X11KeyboardMonitor::releaseGrabs()
{
    if (m_display && !m_grabs.isEmpty()) {
        for (const auto &grab : std::as_const(m_grabs))
            XUngrabKey(m_display, grab.keycode, grab.modifiers, m_root);
        XSync(m_display, False);
    }
    m_grabs.clear();
    m_macKeyCodeForKeycode.clear();
}

void X11KeyboardMonitor::readEvents()
{
    if (!m_display)
        return;
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == KeyRelease) {
            if (int(event.xkey.keycode) == m_heldKeycode)
                m_heldKeycode = 0;
            continue;
        }
        if (event.type != KeyPress)
            continue;
        const int keycode = int(event.xkey.keycode);
        if (keycode == m_heldKeycode)
            continue; // auto-repeat of a held hotkey
        m_heldKeycode = keycode;
        const auto macKeyCode = m_macKeyCodeForKeycode.constFind(keycode);
        if (macKeyCode == m_macKeyCodeForKeycode.constEnd())
            continue;
        Q_EMIT keyPressed(*macKeyCode, macModifiers(event.xkey.state));
    }
}

void X11KeyboardMonitor::connectionLost()
{
    if (!m_display)
        return;
    qCWarning(lcHotkeyManager) << "Lost the connection to the X server; global hotkeys are off";
    delete m_notifier;
    m_notifier = nullptr;
    // The dead connection is left open: closing it would only raise more I/O errors.
    m_display = nullptr;
    m_installed = false;
    m_grabs.clear();
    m_macKeyCodeForKeycode.clear();
}
