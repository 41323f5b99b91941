#include "screens/settings/SettingsStyle.h"

#include <QTest>

using namespace talvoro;
using namespace talvoro::settings;

class TestSettingsStyle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sectionHeadersKeepAccents_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cedilla and tilde") << "Configurações" << "CONFIGURAÇÕES";
        QTest::newRow("acute") << "Início rápido" << "INÍCIO RÁPIDO";
        QTest::newRow("circumflex") << "Você" << "VOCÊ";
        QTest::newRow("plain i") << "idioma e privacidade" << "IDIOMA E PRIVACIDADE";
        QTest::newRow("already upper") << "CONTA" << "CONTA";
        QTest::newRow("empty") << "" << "";
    }
    void sectionHeadersKeepAccents()
    {
        QFETCH(QString, title);
        QFETCH(QString, expected);
        QCOMPARE(sectionHeaderText(title, true), expected);
        QCOMPARE(sectionHeaderText(title, false), expected);
        // Never the dotted capital of Turkish casing.
        QVERIFY(!sectionHeaderText(title, true).contains(QChar(0x0130)));
    }

    void usageBarFill()
    {
        QCOMPARE(usageBarFillWidth(0.5, 200), 100.0);
        QCOMPARE(usageBarFillWidth(0, 200), 0.0);
        QCOMPARE(usageBarFillWidth(-0.3, 200), 0.0);
        QCOMPARE(usageBarFillWidth(75.0 / 70.0, 200), 200.0); // over the limit fills, never overflows
        QCOMPARE(usageBarFillWidth(std::numeric_limits<double>::quiet_NaN(), 200), 0.0);
        QCOMPARE(usageBarFillWidth(0.5, -10), 0.0);
    }

    void fontsAndFullStop()
    {
        QCOMPARE(settingsRowFont().pixelSize(), 15);
        QCOMPARE(settingsHelperFont().pixelSize(), 14);
        QCOMPARE(brandedTitleFont().pixelSize(), 32);
        QCOMPARE(brandedTitleFont().weight(), QFont::Bold);
        QCOMPARE(brandedTitleFont().styleHint(), QFont::Serif);
        QCOMPARE(sectionHeaderFont().weight(), QFont::DemiBold);
        QCOMPARE(sectionHeaderFont().letterSpacing(), 1.0);
        QCOMPARE(brandedFullStop(), QStringLiteral("."));
    }
};

QTEST_MAIN(TestSettingsStyle)
#include "tst_SettingsStyle.moc"
