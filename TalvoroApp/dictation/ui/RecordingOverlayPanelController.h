#pragma once

#include "dictation/OverlayPosition.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QScreen;
class RecordingOverlayPanel;
class UserDefaultsProviding;

// Keeps the overlay panel where `overlayPosition` says, on the primary
// screen's usable area: it follows changes of the setting and of the screens
// (resolution, panels, a new primary screen) while the panel exists.
class RecordingOverlayPanelController : public QObject
{
    Q_OBJECT
public:
    explicit RecordingOverlayPanelController(UserDefaultsProviding &settings, QObject *parent = nullptr);
    ~RecordingOverlayPanelController() override;

    RecordingOverlayPanel *panel() const;
    OverlayPosition position() const;

    void showPanel();
    void hidePanel();
    // Moves the panel to the place the setting asks for.
    void reposition();

private:
    void followScreen(QScreen *screen);

    UserDefaultsProviding &m_settings;
    std::unique_ptr<RecordingOverlayPanel> m_panel;
    QPointer<QScreen> m_screen;
};
