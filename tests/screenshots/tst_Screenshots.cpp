#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Runs the screenshot tool and checks that every promised file is a picture.
class ScreenshotsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyListedPictureIsWritten()
    {
        QProcess list;
        list.start(QStringLiteral(TALVORO_SCREENSHOTS_TOOL), {QStringLiteral("--list")});
        QVERIFY(list.waitForFinished(60000));
        QCOMPARE(list.exitCode(), 0);
        const QStringList names = QString::fromUtf8(list.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        // Every entry in both languages and both appearances.
        QVERIFY(!names.isEmpty() && names.size() % 4 == 0);
        QVERIFY(names.contains(QStringLiteral("shell-home-pt-light.png")));

        QTemporaryDir out;
        QProcess render;
        render.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        render.start(QStringLiteral(TALVORO_SCREENSHOTS_TOOL), {QStringLiteral("--out"), out.path()});
        QVERIFY(render.waitForFinished(240000));
        QCOMPARE(render.exitStatus(), QProcess::NormalExit);
        QCOMPARE(render.exitCode(), 0);
        for (const QString &name : names) {
            const QImage image(out.filePath(name));
            QVERIFY2(!image.isNull(), qPrintable(name));
            QVERIFY2(image.width() >= 320 && image.height() >= 320, qPrintable(name));
        }

        // Light and dark differ, so the appearance reached the pixels.
        const QImage light(out.filePath(QStringLiteral("shell-home-pt-light.png")));
        const QImage dark(out.filePath(QStringLiteral("shell-home-pt-dark.png")));
        QVERIFY(qGray(light.pixel(light.width() - 10, 10)) > qGray(dark.pixel(dark.width() - 10, 10)));
    }
};

QTEST_GUILESS_MAIN(ScreenshotsTest)
#include "tst_Screenshots.moc"
