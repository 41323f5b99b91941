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
        // Every entry in both languages and both appearances, and every screen there.
        QVERIFY(!names.isEmpty() && names.size() % 4 == 0);
        for (const char *screen : {"shell-home", "shell-sheet-general", "shell-sheet-system", "onboarding-welcome",
                                   "signIn-idle", "home-account", "history-week", "history-detail", "statistics-full",
                                   "dictationSettings-signed-in", "dictionary-languages", "dictionary-sheet-new",
                                   "replacementRules-rules", "replacementRules-sheet-edit", "settings-signed-in",
                                   "generalSettings-capturing", "sheet-system-all-granted", "permissions-all-granted",
                                   "account-signed-in", "accountManagement-confirmation-filled", "feedback-filled"})
            for (const char *variant : {"pt-light", "pt-dark", "en-light", "en-dark"}) {
                const QString name = QStringLiteral("%1-%2.png").arg(QLatin1String(screen), QLatin1String(variant));
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
};

QTEST_GUILESS_MAIN(ScreenshotsTest)
#include "tst_Screenshots.moc"
