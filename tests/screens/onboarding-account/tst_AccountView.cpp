#include "screens/onboarding-account/AccountViewModel.h"
#include "screens/onboarding-account/ui/AccountView.h"

#include "account/BackendAPIClient.h"
#include "navigation/AppEnvironment.h"
#include "navigation/MainWindowModel.h"
#include "texts/Localization.h"
#include "support/AccountTestSupport.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QImageReader>
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

    explicit SignedInAccount(bool signIn = true)
    {
        if (signIn && !harness.signIn())
            qFatal("sign-in failed");
        backend.server.resetRequestCounts();
        model = std::make_unique<AccountViewModel>(harness.auth.get(), *harness.settings.store, clientFactory(),
                                                   [this] { ++dismissals; });
    }

    AccountViewModel::ClientFactory clientFactory()
    {
        return [this] {
            return std::make_shared<BackendAPIClient>(std::make_shared<DefaultAuthProvider>(), &harness.network,
                                                      backend.baseURL());
        };
    }

    AuthManager &auth() { return *harness.auth; }
    QString storedAvatarId() { return backend.state().user(auth().userId().value_or(QString()))->avatarStorageId; }

    QUrl writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(files.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return QUrl::fromLocalFile(file.fileName());
    }

    // 1024 × 512: blue, red, then a transparent quarter on the right.
    QUrl writeWidePicture()
    {
        QImage image(1024, 512, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.fillRect(0, 0, 256, 512, Qt::blue);
        painter.fillRect(256, 0, 512, 512, Qt::red);
        painter.end();
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return writeFile(QStringLiteral("wide.png"), png);
    }

    void upload(const QUrl &file) { QCoro::waitFor(model->uploadAvatar(file)); }
};

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
    void initTestCase() { talvoro::overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")}); }

    void uploadStretchesThePictureAndSavesItInThreeSteps()
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

        const QStringList lines = accountLines(log);
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("Avatar upload: starting"));
        QVERIFY(lines[1].startsWith(QLatin1String("Avatar upload: image prepared (")));
        QCOMPARE(lines[2], QStringLiteral("Avatar upload step 1 OK: got upload URL"));
        QCOMPARE(lines[3], QStringLiteral("Avatar upload step 2 OK: storageId = ") + id);
        QVERIFY(lines[4].startsWith(QLatin1String("Avatar upload step 3 OK: avatarUrl = http")));
        QCOMPARE(lines[5], QStringLiteral("Avatar upload: complete"));
    }

    void eachFailingStepEndsTheUploadAndKeepsTheAvatar_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("failingPath");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<bool>("avatarKept");

        QTest::newRow("not an image") << "text" << QString() << 0 << QByteArray()
                                      << "Avatar upload: failed to create NSImage from data (13 bytes)" << true;
        QTest::newRow("too large to read") << "huge" << QString() << 0 << QByteArray()
                                           << "Avatar upload: failed to read file data from" << true;
        QTest::newRow("upload URL") << "picture" << "user/avatar/upload-url" << 500 << QByteArray()
                                    << "Avatar upload step 1 FAILED (get upload URL): " << true;
        QTest::newRow("storage") << "picture" << "storage/upload/*" << 500 << QByteArray()
                                 << "Avatar upload step 2 FAILED (upload to storage): " << true;
        QTest::newRow("save") << "picture" << "user/avatar" << 503 << QByteArray()
                              << "Avatar upload step 3 FAILED (save storageId): " << true;
        QTest::newRow("saved URL is no URL") << "picture" << "user/avatar" << 200
                                             << QByteArray(R"({"avatarUrl":"not a url"})")
                                             << "Avatar upload: complete" << false;
    }

    void eachFailingStepEndsTheUploadAndKeepsTheAvatar()
    {
        QFETCH(QString, file);
        QFETCH(QString, failingPath);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, lastLine);
        QFETCH(bool, avatarKept);

        SignedInAccount a;
        a.auth().updateAvatarURL(kOldAvatar);
        QUrl picked = a.writeWidePicture();
        if (file == QLatin1String("text")) {
            picked = a.writeFile(QStringLiteral("notes.png"), "not a picture");
        } else if (file == QLatin1String("huge")) {
            // Sparse: refused by its size before a byte is read.
            QFile huge(a.files.filePath(QStringLiteral("huge.png")));
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(AccountViewModel::kMaxAvatarFileBytes + 1));
            picked = QUrl::fromLocalFile(huge.fileName());
        }
        if (!failingPath.isEmpty())
            a.backend.server.injectFailure(failingPath, {2, status, 0ms, body});

        LogCapture log;
        a.upload(picked);
        QVERIFY(!a.model->isUploading());
        QVERIFY(accountLines(log).constLast().startsWith(lastLine));
        QCOMPARE(a.auth().userAvatarURL(), avatarKept ? std::optional(kOldAvatar) : std::nullopt);
        // A step that failed is the last one tried.
        if (failingPath == QLatin1String("user/avatar/upload-url"))
            QVERIFY(!accountLines(log).join(QLatin1Char('\n')).contains(QLatin1String("step 2")));
        if (failingPath == QLatin1String("storage/upload/*"))
            QCOMPARE(a.backend.server.requestCount(QStringLiteral("user/avatar")), 0);
    }

    void removalClearsTheAvatarOnlyWhenTheBackendDid()
    {
        SignedInAccount a;
        a.upload(a.writeWidePicture());
        const std::optional<QUrl> uploaded = a.auth().userAvatarURL();
        QVERIFY(uploaded);

        a.backend.server.injectFailure(QStringLiteral("user/avatar"), {1, 500});
        LogCapture log;
        QCoro::waitFor(a.model->removeAvatar());
        QCOMPARE(a.auth().userAvatarURL(), uploaded);
        QVERIFY(accountLines(log).constLast().startsWith(QLatin1String("Avatar remove FAILED: ")));

        QCoro::waitFor(a.model->removeAvatar());
        QVERIFY(!a.model->isUploading());
        QCOMPARE(a.auth().userAvatarURL(), std::nullopt);
        QVERIFY(a.storedAvatarId().isEmpty());
        QCOMPARE(accountLines(log).mid(2),
                 (QStringList{QStringLiteral("Avatar remove: starting"), QStringLiteral("Avatar remove: complete")}));
    }

    void onlyOneAvatarChangeRunsAndALateResultIsDropped()
    {
        SignedInAccount a;
        a.auth().updateAvatarURL(kOldAvatar);
        a.backend.server.injectFailure(QStringLiteral("user/avatar"), {1, 0, 400ms});
        LogCapture log;
        a.model->handleAvatarImport(QList<QUrl>{a.writeWidePicture()});
        QVERIFY(a.model->isUploading());
        QVERIFY(!a.model->canRemoveAvatar());
        // The context menu is still reachable: a removal meanwhile does nothing.
        QCoro::waitFor(a.model->removeAvatar());
        QVERIFY(!log.contains(QStringLiteral("Avatar remove: starting")));

        QTRY_COMPARE(a.backend.server.requestCount(QStringLiteral("user/avatar")), 1);
        a.auth().signOut();
        QCOMPARE(a.dismissals, 1);
        QTRY_VERIFY(!a.model->isUploading());
        QVERIFY(log.contains(QStringLiteral("result dropped")));
        QVERIFY(!log.contains(QStringLiteral("Avatar upload: complete")));
        QCOMPARE(a.auth().userAvatarURL(), std::nullopt);
    }

    void pickerOutcomesOtherThanAFileStartNothing()
    {
        SignedInAccount a;
        LogCapture log;
        a.model->handleAvatarImport(std::unexpected(QStringLiteral("no portal")));
        a.model->handleAvatarImport(QList<QUrl>{});
        QVERIFY(!a.model->isUploading());
        QCOMPARE(accountLines(log), QStringList{QStringLiteral("File importer error: no portal")});
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

    void aSignInStartedHereRunsOnceAndACancelShowsNothing()
    {
        SignedInAccount a(false);
        // Nobody answers in the browser until the sign-in is cancelled.
        const auto browser = std::exchange(a.harness.opener.onOpen, {});
        a.model->signIn();
        QVERIFY(a.model->isSigningIn());
        QVERIFY(!a.model->canSignIn());
        a.model->signIn();
        QCOMPARE(a.harness.opener.opened.size(), 1);
        a.auth().cancelSignIn();
        QTRY_VERIFY(!a.model->isSigningIn());
        QCOMPARE(a.model->signInErrorMessage(), std::nullopt);

        a.harness.opener.onOpen = browser;
        a.model->signIn();
        QTRY_VERIFY(a.model->isAuthenticated());
        QCOMPARE(a.dismissals, 0);
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

        // The injected picker feeds a file; the veil lies over the avatar meanwhile.
        view.setAvatarPicker([&a](QWidget *, std::function<void(const AccountView::ImportResult &)> done) {
            done(QList<QUrl>{a.writeWidePicture()});
        });
        view.findChild<QAbstractButton *>(QStringLiteral("accountAvatarButton"))->click();
        QVERIFY(visible("avatarUploadVeil"));
        QVERIFY(!view.findChild<QAbstractButton *>(QStringLiteral("accountAvatarButton"))->isEnabled());
        QTRY_VERIFY(!view.viewModel()->isUploading());
        QVERIFY(!visible("avatarUploadVeil"));
        std::unique_ptr<QMenu> menu(view.makeAvatarMenu(&view));
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Remover Foto"));

        accountButton->click();
        QVERIFY(!a.auth().isAuthenticated());
        QCOMPARE(dismissed, 1);
        QCOMPARE(label("accountStatus"), QStringLiteral("Não autenticado"));
        QVERIFY(!visible("accountManagementLink") && !visible("accountName") && visible("accountSignInRow"));
        QVERIFY(accountButton->accessibleName() == QStringLiteral("Entrar"));

        // A sign-in failing with a reason shows it; "OK" clears it.
        a.backend.server.injectFailure(QStringLiteral("auth/session"), {1, 400});
        accountButton->click();
        QVERIFY(!accountButton->isEnabled());
        QTRY_VERIFY(view.signInErrorAlert());
        QVERIFY(!view.signInErrorAlert()->informativeText().isEmpty());
        view.signInErrorAlert()->findChild<QAbstractButton *>(QStringLiteral("signInErrorOK"))->click();
        QCOMPARE(view.viewModel()->signInErrorMessage(), std::nullopt);
        QVERIFY(accountButton->isEnabled());
    }
};

QTEST_MAIN(AccountViewTest)
#include "tst_AccountView.moc"
