#include "dictation/AudioFeedbackManager.h"
#include "dictation/SoundEffectPlayer.h"
#include "support/DictationFakes.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTest>

namespace {

struct Fixture
{
    TemporarySettings settings;
    QHash<QString, std::shared_ptr<FakeSoundPlayer::Log>> logs;
    std::unique_ptr<AudioFeedbackManager> manager;

    Fixture()
    {
        manager = std::make_unique<AudioFeedbackManager>(*settings.store, [this](const QString &name) {
            auto log = logs.value(name);
            if (!log)
                log = logs[name] = std::make_shared<FakeSoundPlayer::Log>();
            return std::make_unique<FakeSoundPlayer>(log);
        });
    }
};

} // namespace

class TestAudioFeedbackManager : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void previewPlaysTinkAtTheStoredVolumeEvenWhenCuesAreOff()
    {
        Fixture f;
        f.settings.store->setBool(SettingsKeys::soundFeedbackEnabled.key(), false);
        f.settings.store->setDouble(SettingsKeys::soundFeedbackVolume.key(), 0.3);
        f.manager->previewSound();
        const auto tink = f.logs.value(QStringLiteral("Tink"));
        QVERIFY(tink);
        QCOMPARE(tink->calls, (QStringList{"volume", "play"}));
        QCOMPARE(tink->volume, 0.3);

        // Again while still playing: stopped first, at the volume as it is now.
        f.settings.store->setDouble(SettingsKeys::soundFeedbackVolume.key(), 1.0);
        f.manager->previewSound();
        QCOMPARE(tink->calls, (QStringList{"volume", "play", "stop", "volume", "play"}));
        QCOMPARE(tink->volume, 1.0);
    }

    void unusableVolumesAreKeptInRange()
    {
        Fixture f;
        f.settings.store->setDouble(SettingsKeys::soundFeedbackVolume.key(), 4.0);
        QCOMPARE(f.manager->volume(), 1.0);
        f.settings.store->setDouble(SettingsKeys::soundFeedbackVolume.key(), -2.0);
        QCOMPARE(f.manager->volume(), 0.0);
        f.settings.store->setString(SettingsKeys::soundFeedbackVolume.key(), QStringLiteral("nan"));
        QCOMPARE(f.manager->volume(), 0.7);
    }

    void cuesFollowTheSwitchAndMissingSoundsAreSilent()
    {
        Fixture f;
        f.manager->playCue(QStringLiteral("Start"));
        QCOMPARE(f.logs.value(QStringLiteral("Start"))->calls, (QStringList{"volume", "play"}));
        f.settings.store->setBool(SettingsKeys::soundFeedbackEnabled.key(), false);
        f.manager->playCue(QStringLiteral("Start"));
        QCOMPARE(f.logs.value(QStringLiteral("Start"))->calls.size(), 2);

        f.logs[QStringLiteral("Tink")] = std::make_shared<FakeSoundPlayer::Log>();
        f.logs[QStringLiteral("Tink")]->available = false;
        f.manager->previewSound();
        QVERIFY(f.logs.value(QStringLiteral("Tink"))->calls.isEmpty());
    }

    void tinkShipsWithTheApplication()
    {
        QFile file(SoundEffectPlayer::resourcePath(QStringLiteral("Tink")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(44);
        QVERIFY(header.startsWith("RIFF"));
        QCOMPARE(header.mid(8, 4), QByteArray("WAVE"));
        // A short cue: under half a second of 16-bit mono at 44.1 kHz.
        QVERIFY(file.size() < 44 + 44100);
        QVERIFY(!QFile::exists(SoundEffectPlayer::resourcePath(QStringLiteral("NoSuchSound"))));
    }
};

QTEST_GUILESS_MAIN(TestAudioFeedbackManager)
#include "tst_AudioFeedbackManager.moc"
