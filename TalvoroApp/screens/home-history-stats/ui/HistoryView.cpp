#include "screens/home-history-stats/ui/HistoryView.h"

#include "account/AuthManager.h"
#include "account/SyncProviding.h"
#include "dictation/HotkeyManager.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/Symbols.h"
#include "platform/PlainTextClipboard.h"
#include "platform/StartTask.h"
#include "screens/home-history-stats/HistoryGrouping.h"
#include "screens/home-history-stats/HistoryListModel.h"
#include "screens/home-history-stats/HistoryTexts.h"
#include "screens/home-history-stats/ui/HistoryRowDelegate.h"
#include "screens/settings/MinuteTicker.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/AccountToolbarItem.h"
#include "screens/settings/ui/BrandedHeaderView.h"
#include "screens/settings/ui/DetailCardModifier.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "texts/Localization.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTimeZone>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace talvoro;
using namespace talvoro::history;
using namespace talvoro::settings;

namespace {

constexpr QMargins kHeaderMargins{20, 32, 20, 12};
constexpr QMargins kSearchOuterMargins{16, 0, 16, 12};
constexpr int kSearchPadding = 8;
constexpr qreal kSearchRadius = 8;
constexpr qreal kSearchFillOpacity = 0.04;
constexpr int kEmptySymbolSize = 40;
constexpr int kEmptySpacing = 12;
constexpr int kListBottomInset = 12;

// The search field's rounded background.
class SearchBar : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(continuousRoundedRect(QRectF(rect()), kSearchRadius),
                         primaryColor(ui::isDark(this), kSearchFillOpacity));
    }
};

QString hotkeyText(HotkeyManager *hotkeys)
{
    const auto kind = HotkeyManager::HotkeyKind::dictation;
    return hotkeys ? hotkeys->triggerText(kind) : HotkeyManager::displayText(HotkeyManager::defaultHotkey(kind));
}

} // namespace

HistoryView::HistoryView(const AppEnvironment &environment, Navigate navigate, QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
    , m_navigate(std::move(navigate))
{
    setObjectName(QStringLiteral("historyView"));
    Q_ASSERT(environment.settings);
    UserDefaultsProviding &defaults = *environment.settings;

    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("historyPage"));
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    const bool portuguese = isPortuguese();
    auto *header = new BrandedHeaderView(textLocale(portuguese).toLower(localized("Histórico")), defaults, page);
    header->setObjectName(QStringLiteral("brandedHeader"));
    header->setContentsMargins(kHeaderMargins);
    column->addWidget(header);
    column->addWidget(buildSearchBar());

    m_content = new QStackedWidget(page);
    m_content->setObjectName(QStringLiteral("historyContent"));
    m_list = new QListView(m_content);
    m_list->setObjectName(QStringLiteral("historyList"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->verticalScrollBar()->setSingleStep(24);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // Laid out in one pass when painted: in batches, a change while a batch
    // was pending painted an empty list first. The model adds a long list's
    // rows in one step, so the pass runs once, not once per page.
    m_list->setLayoutMode(QListView::SinglePass);
    m_list->setMouseTracking(true);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    m_content->addWidget(m_list);
    m_content->addWidget(buildEmptyState());
    column->addWidget(m_content, 1);
    column->addSpacing(kListBottomInset);

    if (environment.models) {
        // The first screen at once, the rest read as keys a page per
        // event-loop turn and added in one step (HistoryListModel).
        m_model = new HistoryListModel(*environment.models, environment.now, this);
        m_delegate = new HistoryRowDelegate(*m_model, this);
        m_ticker = new MinuteTicker(environment.now, this);
        m_delegate->setNow(m_ticker->now());
        // Past midnight the days are named anew: today's header becomes "Ontem".
        connect(m_ticker, &MinuteTicker::ticked, this,
                [this, day = dayOf(m_ticker->now(), QTimeZone::systemTimeZone())](const QDateTime &now) mutable {
                    m_delegate->setNow(now);
                    if (const QDate today = dayOf(now, QTimeZone::systemTimeZone()); today != day) {
                        day = today;
                        m_model->refresh();
                    }
                    m_list->viewport()->update();
                });
        ui::AccentBinding::bind(m_list, [this](const QColor &color) {
            m_delegate->setAccentColor(color);
            m_list->viewport()->update();
        }, defaults);
        m_list->setModel(m_model);
        m_list->setItemDelegate(m_delegate);
        connect(m_model, &HistoryListModel::emptyChanged, this, &HistoryView::refreshContent);
        connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) { openRecord(index.row()); });
    }

    auto *toolbar = new ToolbarStrip(QString(), ToolbarStrip::Placement::root, this);
    auto *account = new AccountToolbarItem(environment.auth, defaults, environment.avatarLoader);
    connect(account, &AccountToolbarItem::accountRequested, this, [this] {
        if (m_navigate)
            m_navigate(DetailRoute::account);
    });
    toolbar->setTrailingItem(account);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(new DetailCardModifier(page, this), 1);

    if (environment.hotkeys) {
        connect(environment.hotkeys, &HotkeyManager::hotkeysChanged, this, &HistoryView::refreshEmptyText);
        connect(environment.hotkeys, &HotkeyManager::monitoringChanged, this, &HistoryView::refreshEmptyText);
    }
    refreshEmptyText();
    refreshContent();
}

HistoryView::~HistoryView() = default;

bool HistoryView::isReadingPages() const
{
    return m_model && m_model->isLoading();
}

QWidget *HistoryView::buildSearchBar()
{
    auto *outer = new QWidget;
    auto *outerLayout = new QHBoxLayout(outer);
    outerLayout->setContentsMargins(kSearchOuterMargins);
    auto *bar = new SearchBar(outer);
    bar->setObjectName(QStringLiteral("searchBar"));
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(kSearchPadding, kSearchPadding, kSearchPadding, kSearchPadding);
    auto *symbol = new ui::SymbolLabel(QStringLiteral("magnifyingglass"),
                                       qRound(ui::symbolPixelSize(textStylePixelSize(TextStyle::body))), bar);
    symbol->setTint(ui::SymbolLabel::Tint::tertiary);
    layout->addWidget(symbol, 0, Qt::AlignVCenter);
    m_search = new QLineEdit(bar);
    m_search->setObjectName(QStringLiteral("searchField"));
    m_search->setFrame(false);
    m_search->setPlaceholderText(localized("Buscar transcrições"));
    QPalette palette = m_search->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    m_search->setPalette(palette);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_model)
            m_model->setSearchText(text);
        refreshContent();
        // A new search starts at its newest match, not where the last list was scrolled to.
        m_list->scrollToTop();
    });
    layout->addWidget(m_search, 1);
    outerLayout->addWidget(bar);
    return outer;
}

QWidget *HistoryView::buildEmptyState()
{
    auto *empty = new QWidget;
    empty->setObjectName(QStringLiteral("historyEmptyState"));
    auto *layout = new QVBoxLayout(empty);
    layout->setSpacing(kEmptySpacing);
    layout->addStretch(1);
    auto *symbol = new ui::SymbolLabel(QStringLiteral("mic"), kEmptySymbolSize, empty);
    symbol->setObjectName(QStringLiteral("emptyStateSymbol"));
    symbol->setTint(ui::SymbolLabel::Tint::secondary);
    layout->addWidget(symbol, 0, Qt::AlignHCenter);
    m_emptyText = new ui::StyledLabel(QString(), ui::StyledLabel::Style::secondary, empty);
    m_emptyText->setObjectName(QStringLiteral("emptyStateText"));
    m_emptyText->setTextFormat(Qt::PlainText);
    m_emptyText->setFont(appRowFont());
    m_emptyText->setAlignment(Qt::AlignHCenter);
    layout->addWidget(m_emptyText);
    layout->addStretch(1);
    return empty;
}

void HistoryView::refreshContent()
{
    const bool empty = !m_model || m_model->isEmpty();
    m_content->setCurrentIndex(empty ? 1 : 0);
}

void HistoryView::refreshEmptyText()
{
    m_emptyText->setText(emptyStateText(hotkeyText(m_environment.hotkeys)));
}

void HistoryView::openRecord(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount() || m_model->isHeader(row))
        return;
    if (m_navigate)
        m_navigate(HistoryDetailRoute{m_model->item(row).id});
}

void HistoryView::copyText(int row) const
{
    if (const TranscriptionRecord *record = m_model ? m_model->record(row) : nullptr)
        copyPlainText(record->text);
}

void HistoryView::deleteRecord(int row)
{
    if (!m_model || !m_environment.models || row < 0 || row >= m_model->rowCount() || m_model->isHeader(row))
        return;
    deleteTranscription(*m_environment.models, m_model->item(row).id, m_environment.syncProvider);
}

void HistoryView::showContextMenu(int row, const QPoint &globalPosition)
{
    if (!m_model || row < 0 || m_model->isHeader(row))
        return;
    const QUuid id = m_model->item(row).id;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("historyRowMenu"));
    // The row may move while the menu is open (a commit); act on the record.
    menu.addAction(localized("Copiar Texto"), this, [this, id] { copyText(m_model->rowOf(id)); });
    menu.addSeparator();
    QAction *remove = menu.addAction(localized("Apagar"), this, [this, id] { deleteRecord(m_model->rowOf(id)); });
    remove->setObjectName(QStringLiteral("deleteAction"));
    menu.exec(globalPosition);
}

bool HistoryView::eventFilter(QObject *watched, QEvent *event)
{
    if (m_model && event->type() == QEvent::ContextMenu) {
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        if (menuEvent->reason() == QContextMenuEvent::Keyboard) {
            const QModelIndex current = m_list->currentIndex();
            if (current.isValid()) {
                const QRect rect = m_list->visualRect(current);
                showContextMenu(current.row(), m_list->viewport()->mapToGlobal(rect.center()));
            }
        } else if (watched == m_list->viewport()) {
            const QModelIndex at = m_list->indexAt(menuEvent->pos());
            if (at.isValid()) {
                m_list->setCurrentIndex(at);
                showContextMenu(at.row(), menuEvent->globalPos());
            }
        }
        return true;
    }
    if (m_model && watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openRecord(m_list->currentIndex().row());
            return true;
        }
        // The list's own Home aims at row 0, a day's title that cannot be
        // current, and stays put: the first dictation instead, its day's
        // title scrolled into view above it.
        if (key == Qt::Key_Home) {
            QAbstractItemModel *model = m_list->model();
            for (int row = 0; row < model->rowCount(); ++row) {
                const QModelIndex index = model->index(row, 0);
                if (model->flags(index) & Qt::ItemIsEnabled) {
                    m_list->setCurrentIndex(index);
                    m_list->scrollToTop();
                    break;
                }
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void HistoryView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (m_model)
        m_model->refresh();
    // The start task: a pull when the last one is older than 30 s, on behalf
    // of the list's rules; nothing runs on the screen after it.
    if (m_environment.syncProvider)
        startTask(m_model ? static_cast<QObject *>(m_model) : this,
                  m_environment.syncProvider->pullIfStale(kPullMinimumInterval),
                  "The history's start task");
}
