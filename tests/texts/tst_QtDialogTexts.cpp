// Qt's own dialogs and standard buttons speak the interface's language.
#include "texts/Localization.h"
#include "support/TestSupport.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

class QtDialogTextsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { useLanguage(QStringLiteral("pt-BR")); }

    void standardButtonsAndFileDialogFollowTheLanguage()
    {
        for (const bool portuguese : {true, false, true}) {
            useLanguage(portuguese ? QStringLiteral("pt-BR") : QStringLiteral("en"));
            QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
            QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(),
                     portuguese ? QStringLiteral("Cancelar") : QStringLiteral("Cancel"));

            // Qt's own file dialog, as users without a platform theme get it.
            QFileDialog dialog;
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.show();
            auto *box = dialog.findChild<QDialogButtonBox *>();
            QVERIFY(box);
            QCOMPARE(box->button(QDialogButtonBox::Open)->text().remove(QLatin1Char('&')),
                     portuguese ? QStringLiteral("Abrir") : QStringLiteral("Open"));
            auto *fileName = dialog.findChild<QLabel *>(QStringLiteral("fileNameLabel"));
            QVERIFY(fileName);
            QCOMPARE(fileName->text().remove(QLatin1Char('&')),
                     portuguese ? QStringLiteral("Nome do arquivo:") : QStringLiteral("File name:"));
        }
    }
};

QTEST_MAIN(QtDialogTextsTest)
#include "tst_QtDialogTexts.moc"
