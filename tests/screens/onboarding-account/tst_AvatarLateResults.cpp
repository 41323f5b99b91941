// Avatar changes whose answer comes after the user signed out and another
// account signed in: at every step of the upload and for the removal, the
// answer belongs to the account that is gone and must not touch the new one.
#include "screens/onboarding-account/AccountViewModel.h"

#include "account/BackendAPIClient.h"
#include "support/AccountTestSupport.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using namespace talvoro::account;

namespace {

const QUrl kOldAvatar(QStringLiteral("http://127.0.0.1:9/old.jpg"));
const QUrl kNewAccountsAvatar(QStringLiteral("http://127.0.0.1:9/new.jpg"));
// Long enough for a sign-out and a sign-in on a loaded machine; an answer
// that still came sooner would only find the account changed earlier.
constexpr auto kHeldAnswer = 3000ms;
constexpr int kFlowEnds = 60000;

struct AvatarScreen
{
    LocalBackend backend;
    AuthHarness harness{backend.baseURL()};
    QTemporaryDir files;
    std::unique_ptr<AccountViewModel> model;

    AvatarScreen()
    {
        if (!harness.signIn())
            qFatal("sign-in failed");
        harness.auth->updateAvatarURL(kOldAvatar);
        backend.server.resetRequestCounts();
        model = std::make_unique<AccountViewModel>(
            harness.auth.get(), *harness.settings.store,
            [this] {
                return std::make_shared<BackendAPIClient>(harness.authProvider(), &harness.network,
                                                          backend.baseURL());
            },
            [] {});
    }

    QUrl picture()
    {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        const QString path = files.filePath(QStringLiteral("picture.png"));
        image.save(path);
        return QUrl::fromLocalFile(path);
    }

    // Once the flow has logged `before` (its next request is then on its
    // way and held): out, and in as someone else, who has an avatar of
    // their own. The sign-out follows the line at once, well within the
    // hold; should the sign-in take longer than the hold, the answer finds
    // the account changed all the same.
    bool switchAccountAfter(const LogCapture &log, const QString &before)
    {
        if (!QTest::qWaitFor([&] { return log.contains(before); }, kFlowEnds))
            return false;
        harness.auth->signOut();
        harness.browserEmail = QStringLiteral("someone.else@example.com");
        if (!harness.signIn())
            return false;
        harness.auth->updateAvatarURL(kNewAccountsAvatar);
        return true;
    }
};

} // namespace

class AvatarLateResultsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useLanguage(QStringLiteral("pt-BR")); }

    void eachUploadStepDropsAnAnswerForTheAccountThatLeft()
    {
        // The request held at each step, and the line logged just before it.
        const QList<std::pair<QString, QString>> steps{
            {QStringLiteral("user/avatar/upload-url"), QStringLiteral("Avatar upload: image prepared")},
            {QStringLiteral("storage/upload/*"), QStringLiteral("Avatar upload step 1 OK")},
            {QStringLiteral("user/avatar"), QStringLiteral("Avatar upload step 2 OK")},
        };
        for (const auto &[held, before] : steps) {
            AvatarScreen screen;
            screen.backend.server.injectFailure(held, {1, 0, kHeldAnswer});
            LogCapture log;
            screen.model->handleAvatarImport(QList<QUrl>{screen.picture()});
            QVERIFY(screen.model->isUploading());
            QVERIFY2(screen.switchAccountAfter(log, before), qPrintable(held));
            QTRY_VERIFY_WITH_TIMEOUT(!screen.model->isUploading(), kFlowEnds);
            QVERIFY2(log.contains(QStringLiteral("Avatar upload: the account changed meanwhile; result dropped")),
                     qPrintable(held));
            QCOMPARE(screen.harness.auth->userAvatarURL(), std::optional(kNewAccountsAvatar));
            // Nothing after the dropped step was sent.
            if (held == QLatin1String("user/avatar/upload-url"))
                QVERIFY(screen.backend.state().files.isEmpty());
            if (held != QLatin1String("user/avatar"))
                QCOMPARE(screen.backend.server.requestCount(QStringLiteral("user/avatar")), 0);
        }
    }

    void aRemovalAnsweredLateLeavesTheNewAccountsAvatar()
    {
        AvatarScreen screen;
        screen.backend.server.injectFailure(QStringLiteral("user/avatar"), {1, 0, kHeldAnswer});
        LogCapture log;
        screen.model->startAvatarRemoval();
        QVERIFY(screen.model->isUploading());
        QVERIFY(screen.switchAccountAfter(log, QStringLiteral("Avatar remove: starting")));
        QTRY_VERIFY_WITH_TIMEOUT(!screen.model->isUploading(), kFlowEnds);
        QVERIFY(log.contains(QStringLiteral("Avatar remove: the account changed meanwhile; result dropped")));
        QCOMPARE(screen.harness.auth->userAvatarURL(), std::optional(kNewAccountsAvatar));
    }
};

QTEST_MAIN(AvatarLateResultsTest)
#include "tst_AvatarLateResults.moc"
