#include "platform/AppModelContainer.h"
#include "platform/LiveListModel.h"
#include "platform/ModelContext.h"
#include "screens/dictation-settings/ReplacementRules.h"
#include "screens/dictation-settings/ui/ReplacementRulesView.h"
#include "screens/dictation-settings/ui/RuleFormSheet.h"
#include "support/TestSupport.h"
#include "texts/Localization.h"

#include <QAbstractItemDelegate>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace talvoro;
using talvoro::rules::RuleSyncHooks;

class TestReplacementRulesView : public QObject
{
    Q_OBJECT

    std::unique_ptr<TemporarySettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppModelContainer> m_container;
    AppEnvironment m_env;
    int m_pushes = 0;

    ReplacementRule addRule(const QString &original, bool enabled, qint64 useCount, int second)
    {
        ReplacementRule rule(original, QStringLiteral("r"));
        rule.isEnabled = enabled;
        rule.useCount = useCount;
        rule.createdAt = rule.updatedAt = QDateTime::fromSecsSinceEpoch(1'700'000'000 + second);
        rule = m_container->mainContext().insert(rule);
        [&] { QVERIFY(m_container->mainContext().save()); }();
        return rule;
    }
    std::unique_ptr<ReplacementRulesView> makeView()
    {
        RuleSyncHooks hooks;
        hooks.pushRuleModel = [this](const ReplacementRule &, bool) { ++m_pushes; };
        auto view = std::make_unique<ReplacementRulesView>(m_env, hooks);
        view->resize(700, 500);
        view->show();
        view->activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(view.get())); }();
        return view;
    }
    // Highest alpha a row paints on a clear image.
    static int rowAlpha(QListView *list, int row)
    {
        const QModelIndex index = list->model()->index(row, 0);
        QStyleOptionViewItem option;
        option.initFrom(list);
        option.rect = QRect(0, 0, 600, 80);
        QImage image(option.rect.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        list->itemDelegate()->paint(&painter, option, index);
        painter.end();
        int alpha = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                alpha = qMax(alpha, qAlpha(image.pixel(x, y)));
        return alpha;
    }

private Q_SLOTS:
    void init()
    {
        overridePreferredLanguages(QStringList{QStringLiteral("pt-BR")});
        installTranslations();
        m_settings = std::make_unique<TemporarySettings>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_container = std::make_unique<AppModelContainer>(m_dir->filePath(QStringLiteral("store")));
        m_env = {};
        m_env.settings = m_settings->store.get();
        m_env.models = m_container.get();
        m_pushes = 0;
    }
    void cleanup() { m_container.reset(); }

    void disabledRowIsDrawnAtHalfOpacity()
    {
        addRule(QStringLiteral("off"), false, 3, 1);
        addRule(QStringLiteral("on"), true, 0, 2);
        auto view = makeView();
        QListView *list = view->listView();
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(rowAlpha(list, 0), 255);
        QVERIFY(qAbs(rowAlpha(list, 1) - 128) <= 1);
    }

    void keysToolbarSheetAndConfirmation()
    {
        const auto older = addRule(QStringLiteral("a"), true, 0, 1);
        addRule(QStringLiteral("b"), true, 0, 2);
        auto view = makeView();
        QListView *list = view->listView();
        auto *trash = view->findChild<QToolButton *>(QStringLiteral("deleteRulesButton"));
        auto *pencil = view->findChild<QToolButton *>(QStringLiteral("editRuleButton"));
        QVERIFY(trash->isHidden() && pencil->isHidden());

        list->setFocus();
        list->setCurrentIndex(list->model()->index(1, 0));
        QVERIFY(!trash->isHidden() && !pencil->isHidden());
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(view->sheet());
        QCOMPARE(view->sheet()->mode().id(), older.idString());
        QCOMPARE(view->sheet()->height(), 480);
        view->sheet()->cancel();
        QTRY_VERIFY(!view->sheet());
        QVERIFY(!view->rulesModel()->sheetMode());

        QTest::keyClick(view.get(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(view->sheet() && !view->sheet()->mode().isEdit());
        QCOMPARE(view->sheet()->height(), 400);
        view->sheet()->cancel();
        QTRY_VERIFY(!view->sheet());

        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QMessageBox *alert = view->deleteAlert();
        QVERIFY(alert);
        QCOMPARE(alert->text(), QStringLiteral("Excluir Regra"));
        alert->findChild<QPushButton *>(QStringLiteral("confirmDeleteButton"))->click();
        QTRY_COMPARE(list->model()->rowCount(), 1);
        QCOMPARE(m_pushes, 1);
        QVERIFY(view->rulesModel()->selection().isEmpty());
        QVERIFY(trash->isHidden());
    }
};

QTEST_MAIN(TestReplacementRulesView)
#include "tst_ReplacementRulesView.moc"
