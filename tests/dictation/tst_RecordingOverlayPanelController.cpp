#include "dictation/ui/RecordingOverlayPanel.h"
#include "dictation/ui/RecordingOverlayPanelController.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

class TestRecordingOverlayPanelController : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void panelFloatsWithoutTakingFocus()
    {
        TemporarySettings settings;
        RecordingOverlayPanelController controller(*settings.store);
        const auto flags = controller.panel()->windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(controller.panel()->testAttribute(Qt::WA_ShowWithoutActivating));
    }

    void panelFollowsTheSetting()
    {
        TemporarySettings settings;
        RecordingOverlayPanelController controller(*settings.store);
        auto *panel = controller.panel();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        auto expected = [&](OverlayPosition p) { return overlayPanelOrigin(p, area, panel->size()); };

        QCOMPARE(panel->pos(), expected(OverlayPosition::bottom));
        controller.showPanel();
        QVERIFY(panel->isVisible());
        for (const auto &row : overlayPositionGrid()) {
            for (OverlayPosition p : row) {
                settings.store->setString(SettingsKeys::overlayPosition.key(), overlayPositionRawValue(p));
                QCOMPARE(panel->pos(), expected(p));
            }
        }
        settings.store->remove(SettingsKeys::overlayPosition.key());
        QCOMPARE(panel->pos(), expected(OverlayPosition::bottom));
        controller.hidePanel();
        QVERIFY(!panel->isVisible());
    }

    void contentIsReplaced()
    {
        TemporarySettings settings;
        RecordingOverlayPanelController controller(*settings.store);
        QPointer<QWidget> first = new QWidget;
        controller.panel()->setContent(first);
        QCOMPARE(first->parentWidget(), controller.panel());
        controller.panel()->setContent(new QWidget);
        QVERIFY(first.isNull());
    }
};

QTEST_MAIN(TestRecordingOverlayPanelController)
#include "tst_RecordingOverlayPanelController.moc"
