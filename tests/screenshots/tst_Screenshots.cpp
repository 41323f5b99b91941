#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Runs the screenshot tool and checks that every promised file is a picture.
class ScreenshotsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyListedPictureIsWritten();
};

void ScreenshotsTest::everyListedPictureIsWritten()
{
    QProcess list;
    list.start(QStringLiteral(TALVORO_SCREENSHOTS_TOOL), {QStringLiteral("--list")});
    QVERIFY(list.waitForFinished(60000));
    QCOMPARE(list.exitCode(), 0);
    const QStringList names = QString::fromUtf8(list.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // The shell in both languages and both appearances, with a sheet open.
    for (const char *expected : {"shell-home-pt-light.png", "shell-home-en-dark.png",
                                 "shell-sheet-general-en-dark.png", "shell-sheet-system-pt-light.png",
                                 "shell-onboarding-pt-dark.png", "shell-login-en-light.png"})
        QVERIFY2(names.contains(QString::fromLatin1(expected)), expected);
    // The dictation settings, signed in and out, in every language and appearance.
    for (const char *state : {"signed-out", "signed-in", "translation-on"})
        for (const char *variant : {"pt-light", "pt-dark", "en-light", "en-dark"}) {
            const QString name = QStringLiteral("dictationSettings-%1-%2.png").arg(QLatin1String(state), QLatin1String(variant));
            QVERIFY2(names.contains(name), qPrintable(name));
        }
    // History: empty, a week, searches, the detail page and a record gone.
    for (const char *state : {"empty", "week", "search-no-result", "detail", "not-found"}) {
        const QString name = QStringLiteral("history-%1-pt-light.png").arg(QLatin1String(state));
        QVERIFY2(names.contains(name), qPrintable(name));
    }

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

QTEST_GUILESS_MAIN(ScreenshotsTest)
#include "tst_Screenshots.moc"
