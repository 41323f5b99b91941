#include "screens/onboarding-account/AccountViewModel.h"
#include "screens/onboarding-account/ui/AccountView.h"

#include "account/BackendAPIClient.h"
#include "navigation/AppEnvironment.h"
#include "platform/ImagePreparation.h"
#include "navigation/MainWindowModel.h"
#include "texts/Localization.h"
#include "support/AccountTestSupport.h"
#include "support/FileDialogDriving.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QAbstractButton>
#include <QBuffer>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using namespace talvoro::account;

namespace {

const QUrl kOldAvatar(QStringLiteral("http://127.0.0.1:9/old.jpg"));

// A signed-in account on the stand-in backend with the screen's rules over it.
struct SignedInAccount
{
    LocalBackend backend;
    AuthHarness harness{backend.baseURL()};
    QTemporaryDir files;
    int dismissals = 0;
    std::unique_ptr<AccountViewModel> model;

    SignedInAccount()
    {
        if (!harness.signIn())
            qFatal("sign-in failed");
        backend.server.resetRequestCounts();
        model = std::make_unique<AccountViewModel>(harness.auth.get(), *harness.settings.store, clientFactory(),
                                                   [this] { ++dismissals; });
    }

    AccountViewModel::ClientFactory clientFactory()
    {
        return [this] {
            return std::make_shared<BackendAPIClient>(harness.authProvider(), &harness.network,
                                                      backend.baseURL());
        };
    }

    AuthManager &auth() { return *harness.auth; }
    QString storedAvatarId() { return backend.state().user(auth().userId().value_or(QString()))->avatarStorageId; }

    // 1024 × 512: blue, red, then a transparent quarter on the right.
    QUrl writeWidePicture()
    {
        QImage image(1024, 512, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.fillRect(0, 0, 256, 512, Qt::blue);
        painter.fillRect(256, 0, 512, 512, Qt::red);
        painter.end();
        image.save(files.filePath(QStringLiteral("wide.png")));
        return QUrl::fromLocalFile(files.filePath(QStringLiteral("wide.png")));
    }

    void upload(const QUrl &file) { QCoro::waitFor(model->uploadAvatar(file)); }
};

QByteArray wideJpeg()
{
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 80);
    return jpeg;
}

QStringList accountLines(const LogCapture &log)
{
    QStringList lines;
    for (const QString &line : log.lines()) {
        if (line.startsWith(QLatin1String("com.torvenak.talvoro-mac.AccountView ")))
            lines.append(line.section(QLatin1Char(' '), 1));
    }
    return lines;
}

} // namespace

class AccountViewTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        // A user's home exists; the pickers start there when there is no Pictures folder.
        QVERIFY(QDir().mkpath(QDir::homePath()));
    }

    void uploadStretchesThePictureAndRemovalClearsIt()
    {
        SignedInAccount a;
        LogCapture log;
        a.upload(a.writeWidePicture());
        QVERIFY(!a.model->isUploading());

        const QString id = a.storedAvatarId();
        QVERIFY(!id.isEmpty());
        QCOMPARE(a.auth().userAvatarURL(), backendlocal::BackendState::fileURL(a.backend.baseURL(), id));
        QImage stored = QImage::fromData(a.backend.state().files.value(id).data, "JPEG");
        QCOMPARE(stored.size(), QSize(256, 256));
        // Stretched, not cropped: the blue quarter and the transparent one
        // (on white) are both still there.
        QVERIFY(qBlue(stored.pixel(20, 128)) > 200 && qRed(stored.pixel(20, 128)) < 60);
        QVERIFY(qRed(stored.pixel(128, 128)) > 200 && qBlue(stored.pixel(128, 128)) < 60);
        QVERIFY(qGray(stored.pixel(240, 128)) > 240);

        QCOMPARE(accountLines(log).size(), 6);
        QCOMPARE(accountLines(log)[3], QStringLiteral("Avatar upload step 2 OK: storageId = ") + id);

        // A removal the backend refused keeps the avatar.
        a.backend.server.injectFailure(QStringLiteral("user/avatar"), {1, 500});
        QCoro::waitFor(a.model->removeAvatar());
        QVERIFY(a.auth().userAvatarURL());
        QVERIFY(accountLines(log).constLast().startsWith(QLatin1String("Avatar remove FAILED: ")));
        QCoro::waitFor(a.model->removeAvatar());
        QVERIFY(!a.model->isUploading());
        QCOMPARE(a.auth().userAvatarURL(), std::nullopt);
        QVERIFY(a.storedAvatarId().isEmpty());
        QCOMPARE(accountLines(log).constLast(), QStringLiteral("Avatar remove: complete"));
    }

    // The avatar is cleared only on 200 {"success": true}.
    void removalKeepsTheAvatarOnAnyOtherReply()
    {
        SignedInAccount a;
        a.upload(a.writeWidePicture());
        const auto avatar = a.auth().userAvatarURL();
        QVERIFY(avatar);
        for (const QString &impostor : LocalBackend::impostorReplies()) {
            a.backend.answerNextWithImpostor(QStringLiteral("user/avatar"), impostor);
            QCoro::waitFor(a.model->removeAvatar());
            QVERIFY2(a.auth().userAvatarURL() == avatar, qPrintable(impostor));
        }
    }

    void eachFailingStepEndsTheUploadAndKeepsTheAvatar()
    {
        struct Case
        {
            // "picture", "text", "cut jpeg" (its first half: Qt would fill the rest
            // with grey), or "huge" (sparse: refused before a byte is read)
            const char *file;
            const char *failingPath;
            backendlocal::BackendServer::Failure failure;
            const char *lastLine;
        };
        const QByteArray noURL(R"({"avatarUrl":"not a url"})");
        const Case cases[] = {
            {"text", "", {}, "Avatar upload: failed to create NSImage from data (13 bytes)"},
            {"cut jpeg", "", {}, "Avatar upload: failed to create NSImage from data ("},
            {"huge", "", {}, "Avatar upload: failed to read file data from"},
            {"picture", "user/avatar/upload-url", {2, 500}, "Avatar upload step 1 FAILED (get upload URL): "},
            {"picture", "storage/upload/*", {2, 500}, "Avatar upload step 2 FAILED (upload to storage): "},
            {"picture", "user/avatar", {2, 503}, "Avatar upload step 3 FAILED (save storageId): "},
            // A saved URL that is no URL clears the avatar.
            {"picture", "user/avatar", {1, 200, 0ms, noURL}, "Avatar upload: complete"},
        };
        // A whole JPEG is taken, also with bytes after its end (some cameras add them).
        QVERIFY(talvoro::prepareImageData(wideJpeg(), AccountViewModel::avatarImageOptions()).has_value());
        QVERIFY(talvoro::prepareImageData(wideJpeg() + "trailer", AccountViewModel::avatarImageOptions()).has_value());
        for (const Case &c : cases) {
            SignedInAccount a;
            a.auth().updateAvatarURL(kOldAvatar);
            QUrl picked = a.writeWidePicture();
            if (qstrcmp(c.file, "picture") != 0) {
                QFile other(a.files.filePath(QStringLiteral("other.png")));
                QVERIFY(other.open(QIODevice::WriteOnly));
                if (qstrcmp(c.file, "text") == 0)
                    QVERIFY(other.write("not a picture") > 0);
                else if (qstrcmp(c.file, "cut jpeg") == 0)
                    QVERIFY(other.write(wideJpeg().left(wideJpeg().size() / 2)) > 0);
                else
                    QVERIFY(other.resize(AccountViewModel::kMaxAvatarFileBytes + 1));
                picked = QUrl::fromLocalFile(other.fileName());
            }
            if (*c.failingPath)
                a.backend.server.injectFailure(QLatin1String(c.failingPath), c.failure);
            LogCapture log;
            a.upload(picked);
            QVERIFY(!a.model->isUploading());
            QVERIFY2(accountLines(log).constLast().startsWith(QLatin1String(c.lastLine)), c.lastLine);
            QCOMPARE(a.auth().userAvatarURL(), c.failure.status == 200 ? std::nullopt : std::optional(kOldAvatar));
        }
    }

    void aRemovalDuringAnUploadRunsAndALateResultIsDropped()
    {
        SignedInAccount a;
        a.auth().updateAvatarURL(kOldAvatar);
        // The upload's storage step is held long enough for a whole removal.
        a.backend.server.injectFailure(QStringLiteral("storage/upload/*"), {1, 0, 4000ms});
        LogCapture log;
        a.model->handleAvatarImport(QList<QUrl>{a.writeWidePicture()});
        QVERIFY(a.model->isUploading());
        QVERIFY(!a.model->canPickAvatar());
        // The context menu is still reachable and removes meanwhile; the
        // busy state lasts while the upload still runs.
        QVERIFY(a.model->canRemoveAvatar());
        QCoro::waitFor(a.model->removeAvatar());
        QVERIFY(log.contains(QStringLiteral("Avatar remove: complete")));
        QCOMPARE(a.auth().userAvatarURL(), std::nullopt);
        QVERIFY(a.model->isUploading());

        a.auth().signOut();
        QCOMPARE(a.dismissals, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!a.model->isUploading(), 30000);
        QVERIFY(log.contains(QStringLiteral("result dropped")));
        QVERIFY(!log.contains(QStringLiteral("Avatar upload: complete")));
        QCOMPARE(a.auth().userAvatarURL(), std::nullopt);
    }

    void signingOutDismissesTheScreenAndWhatItOpened()
    {
        SignedInAccount a;
        MainWindowModel window(*a.harness.settings.store, a.harness.auth.get());
        window.push(DetailRoute::permissions);
        window.push(DetailRoute::account);
        window.push(DetailRoute::accountManagement);
        AccountViewModel model(&a.auth(), *a.harness.settings.store, {},
                               [&window] { window.dismiss(DetailRoute::account); });
        a.auth().signOut();
        QCOMPARE(window.path(), NavigationPath{DetailRoute::permissions});
        QCOMPARE(a.dismissals, 1); // the fixture's own model

        // Signed out already: a sign-out changes nothing.
        window.push(DetailRoute::account);
        AccountViewModel signedOut(&a.auth(), *a.harness.settings.store, {},
                                   [&window] { window.dismiss(DetailRoute::account); });
        a.auth().signOut();
        QCOMPARE(window.path().size(), 2);
    }

    void aFileTypedIntoQtsOwnDialogIsUploaded()
    {
        SignedInAccount a;
        AppEnvironment environment;
        environment.settings = a.harness.settings.store.get();
        environment.auth = a.harness.auth.get();
        environment.makeBackendClient = a.clientFactory();
        AccountView view(environment, {[] {}, [] {}});
        view.show();
        auto *avatarButton = view.findChild<QAbstractButton *>(QStringLiteral("accountAvatarButton"));

        // Escape closes the dialog and nothing is sent.
        avatarButton->click();
        QFileDialog *dialog = shownFileDialog(&view, QStringLiteral("avatarPicker"));
        QVERIFY(dialog);
        QVERIFY2(opensInUserFolder(dialog, QStandardPaths::PicturesLocation), qPrintable(dialog->directory().path()));
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTRY_VERIFY(!view.findChild<QFileDialog *>(QStringLiteral("avatarPicker")));
        QVERIFY(!view.viewModel()->isUploading());

        avatarButton->click();
        QVERIFY(typeIntoFileDialog(shownFileDialog(&view, QStringLiteral("avatarPicker")),
                                   {a.writeWidePicture().toLocalFile()}));
        QTRY_VERIFY_WITH_TIMEOUT(!a.storedAvatarId().isEmpty(), 15000);
        QTRY_VERIFY(!view.viewModel()->isUploading());
    }

    void screenShowsTheAccountStateAndWiresItsActions()
    {
        SignedInAccount a;
        AppEnvironment environment;
        environment.settings = a.harness.settings.store.get();
        environment.auth = a.harness.auth.get();
        environment.makeBackendClient = a.clientFactory();
        int managementOpened = 0;
        int dismissed = 0;
        AccountView view(environment, {[&] { ++dismissed; }, [&] { ++managementOpened; }});
        view.resize(700, 900);
        view.show();
        const auto label = [&](const char *name) { return view.findChild<QLabel *>(QLatin1String(name))->text(); };
        const auto visible = [&](const char *name) { return view.findChild<QWidget *>(QLatin1String(name))->isVisible(); };
        auto *accountButton = view.findChild<QAbstractButton *>(QStringLiteral("accountButton"));

        QCOMPARE(label("accountStatus"), QStringLiteral("Autenticado"));
        QVERIFY(visible("accountManagementLink") && visible("accountWeeklyCount") && !visible("accountSignInRow"));
        QVERIFY(!view.makeAvatarMenu(&view));
        view.findChild<QAbstractButton *>(QStringLiteral("accountManagementLink"))->click();
        QCOMPARE(managementOpened, 1);

        // The injected picker: an error is only logged, a cancel does
        // nothing, a file is uploaded under the veil.
        QList<AccountView::ImportResult> picks{std::unexpected(QStringLiteral("no portal")), QList<QUrl>{},
                                               QList<QUrl>{a.writeWidePicture()}};
        view.setAvatarPicker([&picks](QWidget *, std::function<void(const AccountView::ImportResult &)> done) {
            done(picks.takeFirst());
        });
        auto *avatarButton = view.findChild<QAbstractButton *>(QStringLiteral("accountAvatarButton"));
        LogCapture log;
        avatarButton->click();
        avatarButton->click();
        QVERIFY(!view.viewModel()->isUploading());
        QCOMPARE(accountLines(log), QStringList{QStringLiteral("File importer error: no portal")});
        avatarButton->click();
        QVERIFY(visible("avatarUploadVeil"));
        QVERIFY(!avatarButton->isEnabled());
        QTRY_VERIFY(!view.viewModel()->isUploading());
        QVERIFY(!visible("avatarUploadVeil"));
        std::unique_ptr<QMenu> menu(view.makeAvatarMenu(&view));
        QCOMPARE(menu->actions().constFirst()->text(), QStringLiteral("Remover Foto"));

        accountButton->click();
        QVERIFY(!a.auth().isAuthenticated());
        QCOMPARE(dismissed, 1);
        QCOMPARE(label("accountStatus"), QStringLiteral("Não autenticado"));
        QVERIFY(!visible("accountManagementLink") && !visible("accountName") && visible("accountSignInRow"));
        QVERIFY(accountButton->accessibleName() == QStringLiteral("Entrar"));

        // The account button stays live while a sign-in runs (the row does
        // not): a second press starts over and only its outcome counts. A
        // failure with a reason shows it, "OK" clears it.
        a.backend.server.injectFailure(QStringLiteral("auth/session"), {1, 400});
        auto browser = std::exchange(a.harness.opener.onOpen, nullptr); // the first never answers
        accountButton->click();
        QVERIFY(view.viewModel()->isSigningIn());
        QVERIFY(accountButton->isEnabled());
        QVERIFY(!view.findChild<QAbstractButton *>(QStringLiteral("accountSignInRow"))->isEnabled());
        view.findChild<QAbstractButton *>(QStringLiteral("accountSignInRow"))->click();
        QCOMPARE(a.harness.opener.opened.size(), 2);
        a.harness.opener.onOpen = browser;
        accountButton->click();
        QCOMPARE(a.harness.opener.opened.size(), 3);
        QTRY_VERIFY(view.signInErrorAlert());
        QVERIFY(!view.signInErrorAlert()->informativeText().isEmpty());
        view.signInErrorAlert()->findChild<QAbstractButton *>(QStringLiteral("signInErrorOK"))->click();
        QCOMPARE(view.viewModel()->signInErrorMessage(), std::nullopt);
        QVERIFY(accountButton->isEnabled());
    }
};

QTEST_MAIN(AccountViewTest)
#include "tst_AccountView.moc"
