#include "dictation/ui/RecordingOverlayPanelController.h"

#include "dictation/DictationLogging.h"
#include "dictation/ui/RecordingOverlayPanel.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"

#include <QGuiApplication>
#include <QScreen>

RecordingOverlayPanelController::RecordingOverlayPanelController(UserDefaultsProviding &settings,
                                                                 QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_panel(std::make_unique<RecordingOverlayPanel>())
{
    connect(&settings, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (key == SettingsKeys::overlayPosition)
            reposition();
    });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this,
            &RecordingOverlayPanelController::followScreen);
    followScreen(QGuiApplication::primaryScreen());
}

RecordingOverlayPanelController::~RecordingOverlayPanelController() = default;

RecordingOverlayPanel *RecordingOverlayPanelController::panel() const
{
    return m_panel.get();
}

OverlayPosition RecordingOverlayPanelController::position() const
{
    return storedOverlayPosition(m_settings);
}

void RecordingOverlayPanelController::showPanel()
{
    reposition();
    m_panel->show();
    m_panel->raise();
}

void RecordingOverlayPanelController::hidePanel()
{
    m_panel->hide();
}

void RecordingOverlayPanelController::followScreen(QScreen *screen)
{
    if (m_screen)
        disconnect(m_screen, nullptr, this, nullptr);
    m_screen = screen;
    if (screen) {
        connect(screen, &QScreen::availableGeometryChanged, this, &RecordingOverlayPanelController::reposition);
        connect(screen, &QScreen::geometryChanged, this, &RecordingOverlayPanelController::reposition);
    }
    reposition();
}

void RecordingOverlayPanelController::reposition()
{
    if (!m_screen) {
        qCDebug(lcRecordingOverlay) << "No screen to place the overlay on";
        return;
    }
    m_panel->setScreen(m_screen);
    m_panel->move(overlayPanelOrigin(position(), m_screen->availableGeometry(), m_panel->size()));
}
