#include "look/ui/Symbols.h"
#include "support/TestSupport.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRawFont>
#include <QTest>

using namespace talvoro::ui;

namespace {

int countPixelsNear(const QImage &image, const QColor &color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 200 && std::abs(pixel.red() - color.red()) < 8 && std::abs(pixel.green() - color.green()) < 8
                && std::abs(pixel.blue() - color.blue()) < 8)
                ++count;
        }
    return count;
}

} // namespace

class TestSymbols : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tableIsSortedAndUnique()
    {
        const auto table = symbolTable();
        for (std::size_t i = 1; i < table.size(); ++i)
            QVERIFY2(qstrcmp(table[i - 1].name, table[i].name) < 0, table[i].name);
    }

    void everyGlyphExistsInTheFont()
    {
        const QRawFont font = symbolRawFont(24);
        QVERIFY(font.isValid());
        for (const SymbolGlyph &glyph : symbolTable())
            QVERIFY2(font.supportsCharacter(QChar(glyph.codepoint)), glyph.name);
    }

    void drawsInTheRequestedColour()
    {
        const QColor orange(255, 149, 0);
        const QImage image = symbolPixmap(QStringLiteral("checkmark"), orange, 24).toImage();
        QCOMPARE(image.size(), QSize(24, 24));
        QVERIFY(countPixelsNear(image, orange) > 10);
        QCOMPARE(countPixelsNear(image, Qt::blue), 0);
        const QImage doubled = symbolPixmap(QStringLiteral("checkmark"), orange, 24, 2.0).toImage();
        QCOMPARE(doubled.size(), QSize(48, 48));
        QVERIFY(!symbolIcon(QStringLiteral("trash"), orange, 16).isNull());
    }

    void unknownNameDrawsAPlaceholderAndLogsOnce()
    {
        LogCapture log;
        const QImage first = symbolPixmap(QStringLiteral("no.such.symbol"), Qt::black, 24).toImage();
        symbolPixmap(QStringLiteral("no.such.symbol"), Qt::black, 24);
        symbolPixmap(QStringLiteral("no.such.symbol"), Qt::black, 32);
        const QStringList lines = log.lines();
        QCOMPARE(std::ranges::count_if(lines, [](const QString &line) { return line.contains(u"no.such.symbol"); }), 1);
        // Something faint is drawn: visible, but unlike any glyph in full colour.
        bool anyInk = false;
        for (int y = 0; y < first.height(); ++y)
            for (int x = 0; x < first.width(); ++x)
                anyInk |= first.pixelColor(x, y).alpha() > 0;
        QVERIFY(anyInk);
        QCOMPARE(countPixelsNear(first, Qt::black), 0);
    }

    void drawnIconDrawsEachSizeAndStateOnceWhenShown()
    {
        QList<std::pair<int, QIcon::State>> drawn;
        const QIcon icon = drawnIcon(
            [&drawn](int side, QIcon::State state) {
                drawn.append({side, state});
                QPixmap pixmap(side, side);
                pixmap.fill(state == QIcon::On ? Qt::red : Qt::blue);
                return pixmap;
            },
            {16, 32});
        QVERIFY(drawn.isEmpty());
        QCOMPARE(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
        QCOMPARE(icon.pixmap(32, QIcon::Normal, QIcon::Off).toImage().pixelColor(4, 4), QColor(Qt::blue));
        QCOMPARE(icon.pixmap(QSize(32, 32), 2.0, QIcon::Normal, QIcon::On).size(), QSize(64, 64));
        QCOMPARE(icon.pixmap(QSize(32, 32), 2.0, QIcon::Normal, QIcon::On).toImage().pixelColor(4, 4),
                 QColor(Qt::red));
        icon.pixmap(32, QIcon::Normal, QIcon::Off);
        QCOMPARE(drawn, (QList<std::pair<int, QIcon::State>>{{32, QIcon::Off}, {64, QIcon::On}}));
    }
};

QTEST_MAIN(TestSymbols)
#include "tst_Symbols.moc"
