#include "look/ui/Appearance.h"
#include "look/ui/ToggleSwitch.h"
#include "screens/settings/ui/DetailCardModifier.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/SettingsRowView.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTest>
#include <QThread>

#include <atomic>
#include <optional>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");

// The portal's Settings interface under its real name on the test's own
// bus, on a connection and a thread of its own so that the reader's blocking
// call can be answered.
class FakePortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    FakePortal(PrivateBus &bus, uint scheme)
        : m_scheme(scheme)
        , m_bus(bus.connect(QStringLiteral("fake-portal")))
    {
        moveToThread(&m_thread);
        m_thread.start();
        m_ready = m_bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots) && m_bus.registerService(kService);
    }
    ~FakePortal() override
    {
        m_bus.unregisterService(kService);
        m_bus.unregisterObject(kPath);
        m_thread.quit();
        m_thread.wait();
    }

    bool isReady() const { return m_ready; }

    void change(uint scheme)
    {
        m_scheme = scheme;
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("SettingChanged"));
        signal << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme")
               << QVariant::fromValue(QDBusVariant(scheme));
        // From the portal's own thread, as a real portal would send it.
        QMetaObject::invokeMethod(this, [this, signal] { m_bus.send(signal); }, Qt::BlockingQueuedConnection);
    }

public Q_SLOTS:
    QDBusVariant Read(const QString &group, const QString &key)
    {
        // The portal wraps the value in one more variant.
        if (group == QLatin1String("org.freedesktop.appearance") && key == QLatin1String("color-scheme"))
            return QDBusVariant(QVariant::fromValue(QDBusVariant(m_scheme.load())));
        return {};
    }

private:
    std::atomic<uint> m_scheme;
    QDBusConnection m_bus;
    QThread m_thread;
    bool m_ready = false;
};

QWidget *card(UserDefaultsProviding &settings)
{
    auto *toggle = new talvoro::ui::ToggleSwitch;
    toggle->setFocusPolicy(Qt::NoFocus); // a focus ring would differ between the two
    auto *content = new talvoro::settings::SettingsCardView;
    content->addHeader(QStringLiteral("Geral"));
    content->addRow(new talvoro::settings::SettingsRowView(QStringLiteral("globe"), QStringLiteral("Idioma"),
                                                           toggle, settings));
    auto *widget = new talvoro::settings::DetailCardModifier(content);
    widget->resize(420, 240);
    widget->show();
    return widget;
}

QImage picture(QWidget *widget)
{
    QCoreApplication::processEvents();
    return widget->grab().toImage();
}

} // namespace

class AppearanceTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theAppearanceFollowsThePortalAtOnce()
    {
        PrivateBus bus;
        if (bus.address().isEmpty())
            QSKIP("dbus-daemon cannot be started (scripts/setup installs it)");
        FakePortal portal(bus, 2);
        QVERIFY(portal.isReady());
        DesktopColorScheme scheme(bus.connect(QStringLiteral("reader")));
        QTRY_COMPARE(scheme.scheme(), DesktopColorScheme::Scheme::light);
        talvoro::ui::AppearanceFollower follower(scheme, std::nullopt, true);
        QVERIFY(!talvoro::ui::isDark(nullptr));

        TemporarySettings settings;
        std::unique_ptr<QWidget> shown(card(*settings.store));
        picture(shown.get());
        portal.change(1);
        QTRY_VERIFY(talvoro::ui::isDark(nullptr));
        // Everything drawn, the card's fill included, matches a card made dark.
        std::unique_ptr<QWidget> fresh(card(*settings.store));
        QCOMPARE(picture(shown.get()), picture(fresh.get()));

        // No preference falls back to the start choice (dark here).
        portal.change(2);
        QTRY_VERIFY(!talvoro::ui::isDark(shown.get()));
        portal.change(0);
        QTRY_VERIFY(talvoro::ui::isDark(shown.get()));
    }

    void withoutAPortalOrWhenForcedTheStartChoiceStays()
    {
        PrivateBus bus;
        if (bus.address().isEmpty())
            QSKIP("dbus-daemon cannot be started (scripts/setup installs it)");
        std::optional<FakePortal> portal;
        {
            DesktopColorScheme none(bus.connect(QStringLiteral("reader")));
            QCOMPARE(none.scheme(), DesktopColorScheme::Scheme::unknown);
            talvoro::ui::AppearanceFollower fallback(none, std::nullopt, true);
            QVERIFY(talvoro::ui::isDark(nullptr));
            // A portal that starts later is read once it has its name.
            QVERIFY(portal.emplace(bus, 2).isReady());
            QTRY_COMPARE_WITH_TIMEOUT(none.scheme(), DesktopColorScheme::Scheme::light, 20000);
            QVERIFY(!talvoro::ui::isDark(nullptr));
        }
        DesktopColorScheme scheme(bus.connect(QStringLiteral("reader")));
        talvoro::ui::AppearanceFollower forced(scheme, false, true);
        QVERIFY(!talvoro::ui::isDark(nullptr));
        // The scheme hears the change; the forced choice does not follow it.
        portal->change(1);
        QTRY_COMPARE(scheme.scheme(), DesktopColorScheme::Scheme::dark);
        QVERIFY(!talvoro::ui::isDark(nullptr));
    }
};

QTEST_MAIN(AppearanceTest)
#include "tst_Appearance.moc"
