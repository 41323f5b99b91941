#include "screens/onboarding-account/AvatarInitials.h"

#include <QTest>

#include <limits>

using namespace talvoro;

namespace {

// A name whose scalars are the base-31 digits of `value`, most significant
// first, so that the name's hash is exactly `value` (no wrapping needed).
QString nameHashingTo(quint64 value)
{
    QList<uint> digits;
    do {
        digits.prepend(uint(value % 31));
        value /= 31;
    } while (value != 0);
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(digits.constData()), digits.size());
}

} // namespace

class TestAvatarInitials : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initialsOfTheFirstTwoWords_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("initials");
        QTest::newRow("three words") << "maria clara souza" << "MC";
        QTest::newRow("one word") << "ana" << "A";
        QTest::newRow("leading spaces") << "  joão" << "J";
        QTest::newRow("runs of spaces") << "joão   pedro  " << "JP";
        QTest::newRow("only spaces") << "   " << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("tab does not split") << "ana\tbeatriz carla" << "AC";
        QTest::newRow("no-break space does not split") << "ana\u00A0beatriz carla" << "AC";
        QTest::newRow("accented letters") << "élodie ñuñez" << "ÉÑ";
        QTest::newRow("combining accent stays whole") << "e\u0301lodie ana" << "E\u0301A";
        QTest::newRow("emoji with skin tone") << "👍🏽 ok" << "👍🏽O";
        QTest::newRow("emoji family") << "👨‍👩‍👧 silva" << "👨‍👩‍👧S";
        QTest::newRow("flag") << "🇧🇷 brasil" << "🇧🇷B";
        QTest::newRow("letter outside the BMP") << "𝒜lice bob" << "𝒜B";
        QTest::newRow("full upper-case mapping") << "ßa ça" << "SSÇ";
    }

    void initialsOfTheFirstTwoWords()
    {
        QFETCH(QString, name);
        QFETCH(QString, initials);
        QCOMPARE(avatarInitials(name, true), initials);
        QCOMPARE(avatarInitials(name, false), initials);
    }

    void upperCasingFollowsTheInterfaceLanguage()
    {
        overridePreferredLanguages(QStringList{QStringLiteral("en-US")});
        QCOMPARE(avatarInitials(QStringLiteral("ígor ǳ")), QStringLiteral("ÍǱ"));
        overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        QCOMPARE(avatarInitials(QStringLiteral("ígor ǳ")), QStringLiteral("ÍǱ"));
        overridePreferredLanguages(std::nullopt);
    }

    void colourIndexHashesUnicodeScalars()
    {
        QCOMPARE(avatarNameHash(QString()), 0);
        QCOMPARE(avatarColorIndex(QString()), 0);
        QCOMPARE(avatarNameHash(QStringLiteral("ab")), 97 * 31 + 98);
        QCOMPARE(avatarColorIndex(QStringLiteral("ab")), (97 * 31 + 98) % 8);
        // One scalar, not its two UTF-16 halves: 0x1F600 % 8 == 0.
        QCOMPARE(avatarNameHash(QStringLiteral("😀")), 0x1F600);
        QCOMPARE(avatarColorIndex(QStringLiteral("😀")), 0);
        // A stable answer for a long name whose hash wraps.
        const QString longName = QStringLiteral("Maximiliano Alexandre de Albuquerque Cavalcanti");
        QCOMPARE(avatarColorIndex(longName), avatarColorIndex(QString(longName)));
        QVERIFY(avatarColorIndex(longName) >= 0 && avatarColorIndex(longName) < 8);
    }

    void negativeHashesUseTheirMagnitude()
    {
        QCOMPARE(avatarColorIndexForHash(-1), 1);
        QCOMPARE(avatarColorIndexForHash(-13), 5);
        QCOMPARE(avatarColorIndexForHash(std::numeric_limits<qint64>::max()), 7);
        QCOMPARE(avatarColorIndexForHash(std::numeric_limits<qint64>::min() + 1), 7);

        const QString name = nameHashingTo(quint64(1) << 63);
        QCOMPARE(avatarNameHash(name), std::numeric_limits<qint64>::min());
        QCOMPARE(avatarColorIndex(name), 0);
    }

};

QTEST_GUILESS_MAIN(TestAvatarInitials)
#include "tst_AvatarInitials.moc"
