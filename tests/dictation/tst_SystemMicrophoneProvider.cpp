#include "dictation/SystemMicrophoneProvider.h"

#include <QCoreApplication>
#include <QTest>

using Device = SystemMicrophoneProvider::CaptureDevice;

class TestSystemMicrophoneProvider : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultFirstThenByNameWithoutMonitors()
    {
        const QList<Device> found{
            {QStringLiteral("alsa_input.usb-zeta"), QStringLiteral("zeta USB")},
            {QStringLiteral("alsa_output.pci.monitor"), QStringLiteral("Monitor of Built-in Audio")},
            {QStringLiteral("bluez_input.ear"), QStringLiteral("Écouteurs")},
            {QStringLiteral("alsa_input.pci"), QStringLiteral("Built-in Audio")},
            {QStringLiteral("alsa_input.usb-alpha"), QStringLiteral("alpha USB")},
            {QStringLiteral("sink.monitor"), QStringLiteral("Null Output")},
            {QStringLiteral("alsa_input.usb-beta"), QStringLiteral("Beta USB")},
        };
        const auto list = SystemMicrophoneProvider::orderedMicrophones(found, QStringLiteral("alsa_input.usb-zeta"),
                                                                       QLocale(QStringLiteral("pt_BR")));
        QStringList names;
        for (const auto &m : list)
            names << m.name;
        // Case-insensitive and accent-aware: "Écouteurs" sorts with the E's, not after "z".
        QCOMPARE(names, (QStringList{"zeta USB", "alpha USB", "Beta USB", "Built-in Audio", "Écouteurs"}));
        QCOMPARE(list.first(), (MicrophoneDevice{QStringLiteral("alsa_input.usb-zeta"), QStringLiteral("zeta USB"), true}));
        for (qsizetype i = 1; i < list.size(); ++i)
            QVERIFY(!list[i].isSystemDefault);
    }

    void noDefaultAndNoDevices()
    {
        QVERIFY(SystemMicrophoneProvider::orderedMicrophones({}, QString()).isEmpty());
        // The system default being an output monitor leaves no default in the list.
        const auto list = SystemMicrophoneProvider::orderedMicrophones(
            {{QStringLiteral("b"), QStringLiteral("B mic")}, {QStringLiteral("out.monitor"), QStringLiteral("Out")},
             {QStringLiteral("a"), QStringLiteral("a mic")}, {QStringLiteral("a"), QStringLiteral("a mic")}},
            QStringLiteral("out.monitor"));
        QCOMPARE(list, (QList<MicrophoneDevice>{{QStringLiteral("a"), QStringLiteral("a mic"), false},
                                                {QStringLiteral("b"), QStringLiteral("B mic"), false}}));
    }

    void resolvePreferredMicrophone()
    {
        const QList<MicrophoneDevice> devices{{QStringLiteral("usb-mic"), QStringLiteral("USB"), true},
                                              {QStringLiteral("pci-mic"), QStringLiteral("PCI"), false}};
        using R = PreferredMicrophoneResolution;
        auto resolve = [&](const QString &id) { return SystemMicrophoneProvider::resolvePreferredMicrophone(id, devices); };

        QCOMPARE(resolve(QString()), (R{std::nullopt, std::nullopt, true}));
        QCOMPARE(resolve(QStringLiteral(" \n\t ")), (R{std::nullopt, std::nullopt, true}));
        QCOMPARE(resolve(QStringLiteral("pci-mic")), (R{QStringLiteral("pci-mic"), QStringLiteral("pci-mic"), true}));
        QCOMPARE(resolve(QStringLiteral("  pci-mic\n")), (R{QStringLiteral("pci-mic"), QStringLiteral("pci-mic"), true}));
        QCOMPARE(resolve(QStringLiteral("gone-mic ")), (R{QStringLiteral("gone-mic"), std::nullopt, false}));
        QCOMPARE(SystemMicrophoneProvider::resolvePreferredMicrophone(QStringLiteral("usb-mic"), {}),
                 (R{QStringLiteral("usb-mic"), std::nullopt, false}));
    }

    void listsThePulseAudioTestSource()
    {
        if (qgetenv("TALVORO_TEST_PULSE") != "1")
            QSKIP("No PulseAudio test server ($TALVORO_TEST_PULSE is not 1)");
        const auto microphones = SystemMicrophoneProvider().availableMicrophones();
        const auto it = std::ranges::find(microphones, QStringLiteral("talvoro_test_mic"), &MicrophoneDevice::id);
        QVERIFY2(it != microphones.end(), "the null source talvoro_test_mic is not listed");
        QCOMPARE(it->name, QStringLiteral("TalvoroTestMic"));
        for (const auto &m : microphones)
            QVERIFY2(!m.id.endsWith(QLatin1String(".monitor")), qPrintable(m.id));
    }
};

QTEST_GUILESS_MAIN(TestSystemMicrophoneProvider)
#include "tst_SystemMicrophoneProvider.moc"
