#include "screens/settings/SettingsStyle.h"

#include <QTest>

using namespace talvoro;
using namespace talvoro::settings;

class TestSettingsStyle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sectionHeadersKeepAccents()
    {
        for (bool portuguese : {true, false}) {
            QCOMPARE(sectionHeaderText(QStringLiteral("Configurações"), portuguese), QStringLiteral("CONFIGURAÇÕES"));
            // Never the dotted capital of Turkish casing.
            QCOMPARE(sectionHeaderText(QStringLiteral("idioma"), portuguese), QStringLiteral("IDIOMA"));
            QCOMPARE(sectionHeaderText(QString(), portuguese), QString());
        }
    }

    void usageBarFillStaysWithinTheBar()
    {
        QCOMPARE(usageBarFillWidth(0.5, 200), 100.0);
        QCOMPARE(usageBarFillWidth(-0.3, 200), 0.0);
        QCOMPARE(usageBarFillWidth(75.0 / 70.0, 200), 200.0); // over the limit fills, never overflows
        QCOMPARE(usageBarFillWidth(std::numeric_limits<double>::quiet_NaN(), 200), 0.0);
        QCOMPARE(usageBarFillWidth(0.5, -10), 0.0);
    }
};

QTEST_MAIN(TestSettingsStyle)
#include "tst_SettingsStyle.moc"
