#include "screens/onboarding-account/FeedbackViewModel.h"
#include "screens/onboarding-account/ui/FeedbackView.h"
#include "platform/ImagePreparation.h"
#include "texts/Localization.h"
#include "support/AccountTestSupport.h"
#include "support/FileDialogDriving.h"
#include "support/SyncTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using namespace talvoro;
using namespace talvoro::feedback;
using Failure = backendlocal::BackendServer::Failure;

namespace {

struct SignedInFeedback
{
    LocalBackend backend;
    AuthHarness harness{backend.baseURL()};
    BackendAPIClient client{harness.authProvider(), &harness.network, backend.baseURL()};
    FeedbackViewModel model{client};

    explicit SignedInFeedback(bool signIn = true)
    {
        if (signIn && !harness.signIn())
            qFatal("sign-in failed");
        backend.server.resetRequestCounts();
        model.setSelectedTopic(FeedbackTopic::bug);
        model.setSubject(QStringLiteral("  Título "));
        model.setDescriptionText(QStringLiteral("Algo quebrou"));
    }

    void submit()
    {
        QCoro::waitFor(model.submit());
    }
    QJsonArray stored() { return backend.state().users.value(harness.auth->userId().value_or(QString())).feedback; }
};

QString writeImage(const QTemporaryDir &dir, const QString &name, QSize size, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, format);
    image.fill(format == QImage::Format_ARGB32 ? QColor(0, 0, 0, 0) : QColor(Qt::darkCyan));
    const QString path = dir.filePath(name);
    image.save(path, "PNG");
    return path;
}

QSize jpegSize(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "jpeg");
    return reader.size();
}

} // namespace

class FeedbackViewModelTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        // A user's home exists; the pickers start there when there is no Pictures folder.
        QVERIFY(QDir().mkpath(QDir::homePath()));
    }

    void canSubmitCountsWholeCharactersOnUntrimmedText()
    {
        LocalBackend backend;
        BackendAPIClient client{signedOutAuth(), BackendAPIClient::sharedSession(), backend.baseURL()};
        FeedbackViewModel model(client);
        model.setSubject(QStringLiteral("Assunto"));
        model.setDescriptionText(QStringLiteral("Descrição"));
        QVERIFY(!model.canSubmit()); // no topic
        model.setSelectedTopic(FeedbackTopic::praise);
        QVERIFY(model.canSubmit());

        model.setSubject(QStringLiteral(" \n\t "));
        QVERIFY(!model.canSubmit());
        // An emoji and a letter with a combining mark count once each.
        const QString flag = QStringLiteral("\U0001F1E7\U0001F1F7");
        const QString combined = QStringLiteral("e\u0301");
        // Past the limits the texts are cut at whole characters.
        const QString hundred = QString(flag).repeated(50) + QString(combined).repeated(50);
        model.setSubject(hundred + QStringLiteral("x"));
        QCOMPARE(model.subject(), hundred);
        model.setDescriptionText(QString(combined).repeated(1001));
        QCOMPARE(model.descriptionText(), QString(combined).repeated(1000));
        QVERIFY(model.canSubmit());

        // The form shows what was kept.
        FeedbackView view(client, *TemporarySettings().store, {});
        auto *subject = view.findChild<QLineEdit *>(QStringLiteral("feedbackSubject"));
        subject->setText(QStringLiteral("a").repeated(99) + flag + flag);
        QCOMPARE(subject->text(), QStringLiteral("a").repeated(99) + flag);
        auto *description = view.findChild<QPlainTextEdit *>(QStringLiteral("feedbackDescription"));
        description->setPlainText(QStringLiteral("b").repeated(999) + combined + combined);
        QCOMPARE(description->toPlainText(), QStringLiteral("b").repeated(999) + combined);
    }

    void screenshotsArePreparedReplacedAndRemoved()
    {
        QTemporaryDir dir;
        LocalBackend backend;
        BackendAPIClient client{signedOutAuth(), BackendAPIClient::sharedSession(), backend.baseURL()};
        FeedbackViewModel model(client);
        const QUrl small = QUrl::fromLocalFile(writeImage(dir, QStringLiteral("small.png"), {1024, 600}));
        const QUrl wide = QUrl::fromLocalFile(writeImage(dir, QStringLiteral("wide.png"), {3000, 1500}));
        const QUrl thin = QUrl::fromLocalFile(writeImage(dir, QStringLiteral("thin.png"), {5000, 1}));
        const QUrl clear = QUrl::fromLocalFile(writeImage(dir, QStringLiteral("clear.png"), {10, 10}, QImage::Format_ARGB32));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("notes.png")), "not a picture"));
        const QUrl notAnImage = QUrl::fromLocalFile(dir.filePath(QStringLiteral("notes.png")));

        model.loadImages({small, notAnImage, wide, thin, clear});
        // The first three files; the one that is no picture is left out.
        QCOMPARE(model.loadedImageData().size(), 2);
        QCOMPARE(model.loadedImages().size(), 2);
        QCOMPARE(jpegSize(model.loadedImageData()[0]), QSize(1024, 600));
        QCOMPARE(jpegSize(model.loadedImageData()[1]), QSize(1024, 512));

        model.loadImages({thin, clear, small});
        QCOMPARE(jpegSize(model.loadedImageData()[0]), QSize(1024, 1));
        QCOMPARE(jpegSize(model.loadedImageData()[1]), QSize(10, 10));

        // A cancelled picker keeps them; a pick that all fails clears them.
        model.loadImages({});
        QCOMPARE(model.loadedImageData().size(), 3);
        model.removeImage(-1);
        model.removeImage(3);
        QCOMPARE(model.loadedImageData().size(), 3);
        const QByteArray third = model.loadedImageData()[2];
        model.removeImage(1);
        QCOMPARE(model.loadedImageData().size(), 2);
        QCOMPARE(model.loadedImageData()[1], third);
        QCOMPARE(model.loadedImages().size(), 2);
        model.loadImages({notAnImage});
        QVERIFY(model.loadedImageData().isEmpty());

        // Files over the limit are refused before they are read.
        ImagePreparationOptions options;
        options.maxFileBytes = 8;
        QCOMPARE(prepareImageFile(wide.toLocalFile(), options).error(), ImagePreparationFailure::tooLarge);
    }

    void picturesTypedIntoQtsOwnDialogBecomeThumbnails()
    {
        QTemporaryDir dir;
        writeImage(dir, QStringLiteral("one.png"), {800, 600});
        writeImage(dir, QStringLiteral("two.png"), {600, 800});
        LocalBackend backend;
        BackendAPIClient client{signedOutAuth(), BackendAPIClient::sharedSession(), backend.baseURL()};
        FeedbackView view(client, *TemporarySettings().store, {});
        view.show();
        view.findChild<QAbstractButton *>(QStringLiteral("addScreenshots"))->click();
        QFileDialog *dialog = shownFileDialog(&view, QStringLiteral("screenshotPicker"));
        QVERIFY(dialog);
        QVERIFY2(opensInUserFolder(dialog, QStandardPaths::PicturesLocation), qPrintable(dialog->directory().path()));
        QVERIFY(typeIntoFileDialog(dialog, {dir.filePath(QStringLiteral("one.png")), dir.filePath(QStringLiteral("two.png"))}));
        QTRY_VERIFY(view.findChild<QWidget *>(QStringLiteral("screenshot.1")));
        QVERIFY(view.findChild<QWidget *>(QStringLiteral("screenshot.0")));
    }

    void submissionSendsTheRecordWithIdsInScreenshotOrder()
    {
        SignedInFeedback s;
        s.submit();
        QVERIFY(s.model.showSuccess());
        QVERIFY(!s.model.isSubmitting());
        QCOMPARE(s.backend.server.requestCount(QStringLiteral("feedback/upload-url")), 0);
        QJsonObject record = s.stored().last().toObject();
        QCOMPARE(record.value(QLatin1String("imageStorageIds")).toArray().size(), 0);
        QCOMPARE(record.value(QLatin1String("subject")).toString(), QStringLiteral("  Título "));
        QCOMPARE(record.value(QLatin1String("platform")).toString(), QStringLiteral("macos"));
        QCOMPARE(record.value(QLatin1String("locale")).toString(), QLocale().name());
        // Nothing is cleared after a success.
        QCOMPARE(s.model.subject(), QStringLiteral("  Título "));

        // The second upload answers last; ids still follow the screenshots.
        QTemporaryDir dir;
        s.model.loadImages({QUrl::fromLocalFile(writeImage(dir, QStringLiteral("1.png"), {10, 10})),
                            QUrl::fromLocalFile(writeImage(dir, QStringLiteral("2.png"), {20, 10})),
                            QUrl::fromLocalFile(writeImage(dir, QStringLiteral("3.png"), {30, 10}))});
        s.backend.server.scriptRequestsUnder(QStringLiteral("storage/upload/"), {{1, 0, 0ms}, {1, 0, 300ms}, {1, 0, 0ms}});
        s.submit();
        QVERIFY(s.model.showSuccess());
        const QJsonArray ids = s.stored().last().toObject().value(QLatin1String("imageStorageIds")).toArray();
        QCOMPARE(ids.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(jpegSize(s.backend.state().files.value(ids[i].toString()).data).width(), (i + 1) * 10);
    }

    void theFirstFailedUploadByIndexStopsTheSubmission()
    {
        SignedInFeedback s;
        QTemporaryDir dir;
        s.model.loadImages({QUrl::fromLocalFile(writeImage(dir, QStringLiteral("1.png"), {10, 10})),
                            QUrl::fromLocalFile(writeImage(dir, QStringLiteral("2.png"), {10, 10})),
                            QUrl::fromLocalFile(writeImage(dir, QStringLiteral("3.png"), {10, 10}))});
        s.backend.server.scriptRequestsUnder(QStringLiteral("storage/upload/"),
                                             {{1, 0, 0ms}, {1, 500, 300ms}, {1, 503, 0ms}});
        LogCapture log;
        const qsizetype before = s.stored().size();
        s.submit();
        QVERIFY(s.model.showError());
        QVERIFY(!s.model.isSubmitting());
        QVERIFY(!s.model.errorMessage().isEmpty());
        QCOMPARE(s.stored().size(), before);
        QVERIFY(log.contains(QStringLiteral("Feedback image 1 uploaded")));
        QVERIFY(log.contains(QStringLiteral("Feedback image 2 upload failed")));
        QVERIFY(!log.contains(QStringLiteral("Feedback image 3")));

        // A second press while one runs sends nothing more.
        s.model.dismissError();
        s.backend.server.clearFailures();
        s.backend.server.resetRequestCounts();
        auto first = s.model.submit();
        auto second = s.model.submit();
        QCoro::waitFor(std::move(second));
        QCoro::waitFor(std::move(first));
        QCOMPARE(s.backend.server.requestCount(QStringLiteral("feedback")), 1);
    }

    // Leaving the form (its view and view model deleted, as Back or another
    // sidebar item does) while a screenshot uploads does not stop "Enviar":
    // the record arrives with its image. A change of session meanwhile
    // keeps the feedback from being sent under it.
    void theSubmissionOutlivesTheForm()
    {
        SignedInFeedback s;
        QTemporaryDir dir;
        TemporarySettings settings;
        const auto leaveDuringUpload = [&] {
            auto *view = new FeedbackView(s.client, *settings.store, {});
            FeedbackViewModel *model = view->viewModel();
            model->setSelectedTopic(FeedbackTopic::suggestion);
            model->setSubject(QStringLiteral("Assunto"));
            model->setDescriptionText(QStringLiteral("Descrição"));
            model->loadImages({QUrl::fromLocalFile(writeImage(dir, QStringLiteral("1.png"), {40, 20}))});
            s.backend.server.resetRequestCounts();
            s.backend.server.scriptRequestsUnder(QStringLiteral("storage/upload/"), {{1, 0, 500ms}});
            auto *send = view->findChild<QAbstractButton *>(QStringLiteral("sendFeedbackButton"));
            QVERIFY(send && send->isEnabled());
            send->click();
            QTRY_COMPARE(s.backend.server.requestCount(QStringLiteral("feedback/upload-url")), 1);
            delete view;
        };

        const qsizetype before = s.stored().size();
        leaveDuringUpload();
        QTRY_COMPARE_WITH_TIMEOUT(s.stored().size(), before + 1, 10'000);
        const QJsonObject record = s.stored().last().toObject();
        QCOMPARE(record.value(QLatin1String("subject")).toString(), QStringLiteral("Assunto"));
        const QJsonArray ids = record.value(QLatin1String("imageStorageIds")).toArray();
        QCOMPARE(ids.size(), 1);
        QCOMPARE(jpegSize(s.backend.state().files.value(ids[0].toString()).data), QSize(40, 20));

        LogCapture log;
        leaveDuringUpload();
        s.harness.auth->signOut();
        QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("not sending it")), 10'000);
        QCOMPARE(s.backend.server.requestCount(QStringLiteral("feedback")), 0);
    }

    void withoutATokenTheFirstStepFails()
    {
        SignedInFeedback s(false);
        s.submit(); // no screenshots: the request itself fails
        QVERIFY(s.model.showError());
        QCOMPARE(s.model.errorMessage(), BackendAPIError::notAuthenticated().errorDescription());

        QTemporaryDir dir;
        s.model.dismissError();
        s.model.loadImages({QUrl::fromLocalFile(writeImage(dir, QStringLiteral("1.png"), {10, 10}))});
        LogCapture log;
        s.submit();
        QVERIFY(s.model.showError());
        QVERIFY(log.contains(QStringLiteral("Feedback image 1 upload failed")));
        QCOMPARE(s.backend.server.requestCount(QStringLiteral("feedback")), 0);
    }

    // "Enviar Feedback" disabled: Tab from the subject never lands on it, every
    // press moves the focus, and Shift+Tab retraces the way.
    void tabPassesOverTheDisabledSend()
    {
        SignedInFeedback s(false);
        FeedbackView view(s.client, *s.harness.settings.store, {});
        view.resize(600, 900);
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        auto *send = view.findChild<QAbstractButton *>(QStringLiteral("sendFeedbackButton"));
        QVERIFY(!send->isEnabled());
        view.findChild<QLineEdit *>(QStringLiteral("feedbackSubject"))->setFocus();
        QList<QWidget *> visited{QApplication::focusWidget()};
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *now = QApplication::focusWidget();
            QVERIFY2(now != visited.last() && now->isEnabled(), qPrintable(now->objectName()));
            visited.append(now);
        }
        for (qsizetype i = visited.size() - 1; i > 0; --i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), visited[i - 1]);
        }
    }

    void formInsetsAndAlerts()
    {
        SignedInFeedback s(false);
        FeedbackView view(s.client, *s.harness.settings.store, {});
        view.resize(360, 900);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto *scroll = view.findChild<QScrollArea *>(QStringLiteral("feedbackScroll"));
        QWidget *column = scroll->widget();

        // A narrow window: the chips scroll, the form keeps to the window.
        QVERIFY(column->width() <= scroll->viewport()->width());
        QVERIFY(view.findChild<QAbstractButton *>(QStringLiteral("topicChip.praise"))->parentWidget()->parentWidget()
                == view.findChild<QScrollArea *>(QStringLiteral("topicScroll"))->viewport());
        // Card headers start where the fields do, 20 in.
        auto *subject = view.findChild<QLineEdit *>(QStringLiteral("feedbackSubject"));
        QCOMPARE(subject->mapTo(column, QPoint()).x() - 24, 20);
        int cardHeaders = 0;
        for (QLabel *header : column->findChildren<QLabel *>(QStringLiteral("sectionHeader"))) {
            if (header->parentWidget()->findChild<QScrollArea *>(QStringLiteral("topicScroll")))
                continue; // the topic's, outside the cards
            QCOMPARE(header->mapTo(column, QPoint(header->contentsMargins().left(), 0)).x() - 24, 20);
            ++cardHeaders;
        }
        QCOMPARE(cardHeaders, 3);
        // The send capsule: 24 inside the column's own 24.
        auto *send = view.findChild<QAbstractButton *>(QStringLiteral("sendFeedbackButton"));
        QCOMPARE(send->mapTo(column, QPoint()).x(), 48);
        QCOMPARE(column->width() - send->mapTo(column, QPoint(send->width(), 0)).x(), 48);

        // A failure shows its title and message like every other alert.
        QTest::mouseClick(view.findChild<QAbstractButton *>(QStringLiteral("topicChip.bug")), Qt::LeftButton);
        subject->setText(QStringLiteral("Assunto"));
        view.findChild<QPlainTextEdit *>(QStringLiteral("feedbackDescription"))->setPlainText(QStringLiteral("Texto"));
        send->click();
        QMessageBox *error = nullptr;
        QTRY_VERIFY((error = view.findChild<QMessageBox *>(QStringLiteral("feedbackErrorAlert"))) && error->isVisible());
        QCOMPARE(error->text(), QStringLiteral("Erro"));
        QCOMPARE(error->informativeText(), BackendAPIError::notAuthenticated().errorDescription());
    }
};

QTEST_MAIN(FeedbackViewModelTest)
#include "tst_FeedbackViewModel.moc"
