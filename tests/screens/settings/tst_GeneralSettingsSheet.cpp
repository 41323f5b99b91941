#include "dictation/AudioFeedbackManager.h"
#include "dictation/OverlayPosition.h"
#include "dictation/SystemMicrophoneProvider.h"
#include "look/AccentColorOption.h"
#include "look/ui/Appearance.h"
#include "look/ui/ToggleSwitch.h"
#include "navigation/AppEnvironment.h"
#include "platform/LaunchAtLoginManager.h"
#include "screens/settings/MicrophonePicker.h"
#include "screens/settings/OverlaySettings.h"
#include "screens/settings/ui/GeneralSettingsSheetView.h"
#include "screens/settings/ui/OverlaySettingsView.h"
#include "support/DictationFakes.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

using namespace talvoro::settings;

namespace {

const QString kPreferred = SettingsKeys::preferredMicrophoneID.key();
const QString kPosition = SettingsKeys::overlayPosition.key();
const QString kVolume = SettingsKeys::soundFeedbackVolume.key();

const QList<MicrophoneDevice> kDevices{
    {QStringLiteral("builtin"), QStringLiteral("Built-in Microphone"), true},
    {QStringLiteral("usb"), QStringLiteral("USB Mic"), false},
};

QStringList titles(const QList<MicrophonePicker::Row> &rows)
{
    QStringList result;
    for (const auto &row : rows)
        result << row.title;
    return result;
}

} // namespace

class TestGeneralSettingsSheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { talvoro::ui::applyAppearance(false); }

    void microphoneRows()
    {
        using namespace MicrophonePicker;
        const QString defaultRow = QStringLiteral("Padrão do sistema (Built-in Microphone)");

        // No devices: the default row repeats its own words.
        QCOMPARE(titles(rows({}, {})), QStringList{QStringLiteral("Padrão do sistema (Padrão do sistema)")});

        auto listed = rows(kDevices, {});
        QCOMPARE(titles(listed), (QStringList{defaultRow, QStringLiteral("Built-in Microphone"), QStringLiteral("USB Mic")}));
        QCOMPARE(selectedIndex(listed, {}), 0);
        QCOMPARE(selectedIndex(listed, QStringLiteral("usb")), 2);

        // A device that is gone: its own row, tagged as stored, selected.
        const QString gone = QStringLiteral(" old-headset");
        listed = rows(kDevices, gone);
        QCOMPARE(listed.at(1), (Row{QStringLiteral("Microfone indisponível"), gone}));
        QCOMPARE(selectedIndex(listed, gone), 1);
        QCOMPARE(rows({}, gone).size(), 2);

        // Only spaces is no preference; padding around a listed id is met
        // but matches no tag.
        for (const QString &stored : {QStringLiteral("   "), QStringLiteral(" usb ")}) {
            listed = rows(kDevices, stored);
            QCOMPARE(listed.size(), 3);
            QCOMPARE(selectedIndex(listed, stored), -1);
        }
    }

    void sheetFetchesMicrophonesOnEachShowingAndWritesOnlyChoices()
    {
        TemporarySettings settings;
        FixedMicrophones microphones;
        microphones.devices = kDevices;
        AppEnvironment environment;
        environment.settings = settings.store.get();
        environment.microphones = &microphones;
        settings.store->setBool(SettingsKeys::launchAtLogin.key(), true);

        GeneralSettingsSheetView sheet(environment, FakeSoundPlayer::factoryFor(nullptr));
        auto *picker = sheet.findChild<QComboBox *>(QStringLiteral("microphonePicker"));
        QCOMPARE(picker->count(), 1);
        // Read once, from the key (the login item does not exist).
        QVERIFY(sheet.findChild<talvoro::ui::ToggleSwitch *>(QStringLiteral("launchAtLoginSwitch"))->isChecked());

        sheet.resize(620, 644);
        sheet.show();
        QCOMPARE(microphones.fetches, 1);
        QCOMPARE(picker->count(), 3);
        QCOMPARE(picker->currentIndex(), 0);
        QCOMPARE(sheet.findChild<QWidget *>(QStringLiteral("sheetColumn"))->width(), 560);

        // The list stays while the sheet is open.
        microphones.devices.removeLast();
        Q_EMIT picker->activated(2);
        QCOMPARE(settings.store->stringValue(kPreferred), QStringLiteral("usb"));
        QCOMPARE(picker->count(), 3);

        // Shown again: "usb" is gone and shows as unavailable.
        sheet.hide();
        sheet.show();
        QCOMPARE(microphones.fetches, 2);
        QCOMPARE(picker->itemText(1), QStringLiteral("Microfone indisponível"));
        QCOMPARE(picker->currentIndex(), 1);

        // Building and showing wrote nothing else.
        for (const SettingKeyBase *key :
             std::initializer_list<const SettingKeyBase *>{&SettingsKeys::overlayPosition,
                                                           &SettingsKeys::soundFeedbackEnabled,
                                                           &SettingsKeys::soundFeedbackVolume})
            QVERIFY(!settings.store->contains(*key));

        // Launch at login: the key is written before the login item changes.
        QList<bool> entryExistedAtWrite;
        connect(settings.store.get(), &UserDefaultsProviding::changed, this, [&](const QString &key) {
            if (key == SettingsKeys::launchAtLogin.key())
                entryExistedAtWrite << QFile::exists(LaunchAtLoginManager::autostartFilePath());
        });
        auto *toggle = sheet.findChild<talvoro::ui::ToggleSwitch *>(QStringLiteral("launchAtLoginSwitch"));
        toggle->click();
        toggle->click();
        QVERIFY(settings.store->boolValue(SettingsKeys::launchAtLogin.key()));
        QVERIFY(QFile::exists(LaunchAtLoginManager::autostartFilePath()));
        toggle->click();
        QVERIFY(!settings.store->boolValue(SettingsKeys::launchAtLogin.key(), true));
        QVERIFY(!QFile::exists(LaunchAtLoginManager::autostartFilePath()));
        QCOMPARE(entryExistedAtWrite, (QList<bool>{false, false, true}));
    }

    void theNinePositionsThroughTheTwoPickers()
    {
        TemporarySettings settings;
        OverlaySettingsView view(OverlaySettingsViewStyle::card, *settings.store, FakeSoundPlayer::factoryFor(nullptr));
        auto *rows = view.findChild<QComboBox *>(QStringLiteral("overlayRowPicker"));
        auto *columns = view.findChild<QComboBox *>(QStringLiteral("overlayColumnPicker"));
        QCOMPARE(rows->currentText(), QStringLiteral("Inferior"));
        QCOMPARE(columns->currentText(), QStringLiteral("Centro"));

        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                settings.store->setString(kPosition, QStringLiteral("sideways"));
                QCOMPARE(rows->currentIndex(), 2);
                QCOMPARE(columns->currentIndex(), 1);
                Q_EMIT columns->activated(column);
                Q_EMIT rows->activated(row);
                // Written out, not read from the grid: a swapped row and column shows.
                static const char *const stored[3][3] = {{"topLeft", "top", "topRight"},
                                                         {"left", "center", "right"},
                                                         {"bottomLeft", "bottom", "bottomRight"}};
                QCOMPARE(settings.store->stringValue(kPosition), QLatin1String(stored[row][column]));
                QCOMPARE(rows->currentText() + QLatin1Char('/') + columns->currentText(),
                         QStringList({"Superior", "Centro", "Inferior"})[row] + QLatin1Char('/')
                             + QStringList({"Esquerda", "Centro", "Direita"})[column]);
                QCOMPARE(rows->currentIndex(), row);
                QCOMPARE(columns->currentIndex(), column);
            }
        }
    }

    // A pull writes one key at a time: each the overlay card observes, changed
    // alone, redraws it.
    void eachOverlayKeyAloneRedraws_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("position") << kPosition << QVariant(QStringLiteral("topLeft"));
        QTest::newRow("sounds") << SettingsKeys::soundFeedbackEnabled.key() << QVariant(false);
        QTest::newRow("volume") << kVolume << QVariant(0.3);
        QTest::newRow("accent") << SettingsKeys::keyboardAccentColor.key() << QVariant(QStringLiteral("orange"));
    }
    void eachOverlayKeyAloneRedraws()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        TemporarySettings settings;
        OverlaySettingsView view(OverlaySettingsViewStyle::card, *settings.store, FakeSoundPlayer::factoryFor(nullptr));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QImage before = view.grab().toImage();
        QCOMPARE(view.grab().toImage(), before);
        writeSetting(*settings.store, key, value);
        QVERIFY(view.grab().toImage() != before);
    }

    void volumeInExactTenths()
    {
        // 0.7 + 0.1 + 0.1 in doubles is 0.8999999999999999.
        QCOMPARE(OverlaySettings::volumePercentText(0.7 + 0.1 + 0.1), QStringLiteral("90%"));
        QCOMPARE(OverlaySettings::volumePercentText(0.7), QStringLiteral("70%"));
        QCOMPARE(OverlaySettings::volumePercentText(0.456), QStringLiteral("45%"));
        QCOMPARE(OverlaySettings::stepForVolume(0.7 + 0.1 + 0.1), 9);

        TemporarySettings settings;
        auto sound = std::make_shared<FakeSoundPlayer::Log>();
        OverlaySettingsView view(OverlaySettingsViewStyle::embedded, *settings.store,
                                 FakeSoundPlayer::factoryFor(sound));
        view.show();
        auto *slider = view.findChild<QSlider *>(QStringLiteral("volumeSlider"));
        auto *percent = view.findChild<QLabel *>(QStringLiteral("volumePercent"));
        QCOMPARE(percent->text(), QStringLiteral("70%"));
        for (int i = 0; i < 3; ++i)
            slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(settings.store->doubleValue(kVolume), 1.0);
        QCOMPARE(percent->text(), QStringLiteral("100%"));
        slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(settings.store->doubleValue(kVolume), 0.9);
        QCOMPARE(percent->text(), QStringLiteral("90%"));

        view.findChild<QPushButton *>(QStringLiteral("previewSoundButton"))->click();
        QCOMPARE(sound->volume, 0.9);

        // The filled groove is in the accent.
        settings.store->set(SettingsKeys::keyboardAccentColor, QStringLiteral("yellow"));
        QCOMPARE(slider->palette().color(QPalette::Highlight),
                 talvoro::AccentColorOption(talvoro::AccentColorOption::yellow).color(false));

        // Sounds off hide the volume and keep it.
        view.findChild<talvoro::ui::ToggleSwitch *>(QStringLiteral("soundFeedbackSwitch"))->click();
        QVERIFY(!view.findChild<QWidget *>(QStringLiteral("volumeSection"))->isVisible());
        QCOMPARE(settings.store->doubleValue(kVolume), 0.9);
    }
};

QTEST_MAIN(TestGeneralSettingsSheet)
#include "tst_GeneralSettingsSheet.moc"
