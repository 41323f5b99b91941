#include "dictation/OverlayPosition.h"
#include "dictation/ui/RecordingOverlayPanel.h"
#include "dictation/ui/RecordingOverlayPanelController.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

class TestOverlayPosition : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void storedPositionDefaultsToBottom()
    {
        TemporarySettings settings;
        QCOMPARE(storedOverlayPosition(*settings.store), OverlayPosition::bottom);
        settings.store->setString(SettingsKeys::overlayPosition.key(), QStringLiteral("topRight"));
        QCOMPARE(storedOverlayPosition(*settings.store), OverlayPosition::topRight);
        settings.store->setString(SettingsKeys::overlayPosition.key(), QStringLiteral("somewhere"));
        QCOMPARE(storedOverlayPosition(*settings.store), OverlayPosition::bottom);
    }

    void placement_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QPoint>("origin");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        // Area x 100..1100, y 50..850 (1000x800); panel 200x60; margin 24.
        QTest::addRow("topLeft") << int(OverlayPosition::topLeft) << QPoint(124, 74) << 0 << 0;
        QTest::addRow("top") << int(OverlayPosition::top) << QPoint(500, 74) << 0 << 1;
        QTest::addRow("topRight") << int(OverlayPosition::topRight) << QPoint(876, 74) << 0 << 2;
        QTest::addRow("left") << int(OverlayPosition::left) << QPoint(124, 420) << 1 << 0;
        QTest::addRow("center") << int(OverlayPosition::center) << QPoint(500, 420) << 1 << 1;
        QTest::addRow("right") << int(OverlayPosition::right) << QPoint(876, 420) << 1 << 2;
        QTest::addRow("bottomLeft") << int(OverlayPosition::bottomLeft) << QPoint(124, 766) << 2 << 0;
        QTest::addRow("bottom") << int(OverlayPosition::bottom) << QPoint(500, 766) << 2 << 1;
        QTest::addRow("bottomRight") << int(OverlayPosition::bottomRight) << QPoint(876, 766) << 2 << 2;
    }

    void placement()
    {
        QFETCH(int, position);
        QFETCH(QPoint, origin);
        const QRect area(100, 50, 1000, 800);
        const QSize panel(200, 60);
        const QPoint placed = overlayPanelOrigin(OverlayPosition(position), area, panel, 24);
        QCOMPARE(placed, origin);
        QVERIFY(area.contains(QRect(placed, panel)));
        // The settings' pickers choose by row and column; the row's name is what is stored.
        QFETCH(int, row);
        QFETCH(int, column);
        QCOMPARE(int(overlayPositionGrid()[row][column]), position);
        QCOMPARE(overlayPositionRawValue(OverlayPosition(position)), QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(overlayPositionFromRawValue(overlayPositionRawValue(OverlayPosition(position))),
                 std::optional(OverlayPosition(position)));
    }

    void oversizedPanelStaysOnScreen()
    {
        const QRect area(0, 30, 300, 200);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(overlayPanelOrigin(OverlayPosition(i), area, QSize(400, 260)), QPoint(0, 30));
        // Fits, but not with its margin: it gives up the margin, not the screen.
        QCOMPARE(overlayPanelOrigin(OverlayPosition::topRight, area, QSize(290, 50)), QPoint(0, 54));
        QCOMPARE(overlayPanelOrigin(OverlayPosition::bottom, area, QSize(100, 190)), QPoint(100, 30));
    }

    void panelFloatsWithoutFocusAndFollowsTheSetting()
    {
        TemporarySettings settings;
        RecordingOverlayPanelController controller(*settings.store);
        const auto flags = controller.panel()->windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(controller.panel()->testAttribute(Qt::WA_ShowWithoutActivating));

        // It follows the setting, shown or not.
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

        // New content replaces (and deletes) the old.
        QPointer<QWidget> first = new QWidget;
        controller.panel()->setContent(first);
        QCOMPARE(first->parentWidget(), controller.panel());
        controller.panel()->setContent(new QWidget);
        QVERIFY(first.isNull());
    }
};

QTEST_MAIN(TestOverlayPosition)
#include "tst_OverlayPosition.moc"
