#include "screens/dictation-settings/ui/ReplacementRulesView.h"

#include "account/SyncProviding.h"
#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"
#include "look/ui/Symbols.h"
#include "look/ui/ToggleSwitch.h"
#include "platform/LiveListModel.h"
#include "platform/ModelContext.h"
#include "screens/dictation-settings/ui/RuleFormSheet.h"
#include "screens/settings/ui/AccountToolbarItem.h"
#include "screens/settings/ui/Alerts.h"
#include "screens/settings/ui/ContentUnavailableView.h"
#include "screens/settings/ui/DetailCardModifier.h"
#include "screens/settings/ui/EditorListView.h"
#include "screens/settings/ui/EditorToolbar.h"
#include "screens/settings/ui/FormSheetPresenter.h"
#include "texts/Localization.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QShowEvent>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

using talvoro::rules::ReplacementRulesModel;
using talvoro::settings::ContentUnavailableView;
using talvoro::settings::DetailCardModifier;
using talvoro::settings::EditorListView;
using talvoro::settings::EditorToolbar;
using talvoro::settings::FormSheetPresenter;

using namespace talvoro;

namespace {

constexpr int kRowPadding = 10;
constexpr int kSwitchWidth = 38;
constexpr int kSwitchHeight = 22;

// Keeps the rows of the live list whose rule matches the search.
class RuleSearchFilter : public QSortFilterProxyModel
{
public:
    RuleSearchFilter(ReplacementRulesModel &rules, QObject *parent)
        : QSortFilterProxyModel(parent)
        , m_rules(rules)
    {
    }
    void refilter() { invalidateRowsFilter(); }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &) const override
    {
        return ReplacementRulesModel::matches(m_rules.rules()[row], m_rules.searchText());
    }

private:
    ReplacementRulesModel &m_rules;
};

// Paints one rule from the live query: original, replacement, use count
// and switch; a disabled rule at half opacity.
class RuleRowDelegate : public QStyledItemDelegate
{
public:
    RuleRowDelegate(ReplacementRulesModel &rules, QSortFilterProxyModel &filter, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_rules(rules)
        , m_filter(filter)
    {
    }

    const ReplacementRule *ruleAt(const QModelIndex &index) const
    {
        const QModelIndex source = m_filter.mapToSource(index);
        if (!source.isValid() || source.row() >= m_rules.rules().size())
            return nullptr;
        return &m_rules.rules()[source.row()];
    }

    static QRect switchRect(const QRect &row)
    {
        return {row.right() - kRowPadding - kSwitchWidth, row.center().y() - kSwitchHeight / 2, kSwitchWidth,
                kSwitchHeight};
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const ReplacementRule *rule = ruleAt(index);
        const QFontMetrics row(appRowFont());
        const QFontMetrics helper(appHelperFont());
        const int width = qMax(100, option.rect.width() - 3 * kRowPadding - kSwitchWidth - helper.height() - 6);
        int height = row.height() + 4;
        const QRect replacement = row.boundingRect(QRect(0, 0, width, row.height() * 2), Qt::TextWordWrap,
                                                   rule ? rule->replacementText : QString());
        height += qMin(replacement.height(), row.height() * 2);
        if (rule && rule->useCount > 0)
            height += 4 + helper.height();
        return {option.rect.width(), height + 2 * kRowPadding};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const ReplacementRule *rule = ruleAt(index);
        if (!rule)
            return;
        const bool dark = talvoro::ui::isDark(option.palette);
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, option.palette.color(QPalette::Highlight).lighter(dark ? 80 : 160));
        if (rule->isEnabled) {
            paintRow(painter, option, *rule, dark);
            return;
        }
        // A disabled rule: the whole row at half opacity, drawn as one layer
        // so overlapping parts (the switch's knob) do not add up.
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QImage layer(option.rect.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        layer.setDevicePixelRatio(ratio);
        layer.fill(Qt::transparent);
        QPainter layerPainter(&layer);
        layerPainter.translate(-option.rect.topLeft());
        paintRow(&layerPainter, option, *rule, dark);
        layerPainter.end();
        painter->save();
        painter->setOpacity(0.5);
        painter->drawImage(option.rect.topLeft(), layer);
        painter->restore();
    }

private:
    void paintRow(QPainter *painter, const QStyleOptionViewItem &option, const ReplacementRule &ruleValue,
                  bool dark) const
    {
        const ReplacementRule *rule = &ruleValue;
        painter->save();
        const QFontMetrics row(appRowFont());
        const QFontMetrics helper(appHelperFont());
        const QRect sw = switchRect(option.rect);
        const int left = option.rect.left() + kRowPadding;
        const int textWidth = sw.left() - kRowPadding - left;
        int y = option.rect.top() + kRowPadding;

        painter->setFont(appRowFont());
        painter->setPen(primaryColor(dark));
        painter->drawText(QRect(left, y, textWidth, row.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          row.elidedText(rule->originalText.simplified(), Qt::ElideRight, textWidth));
        y += row.height() + 4;

        const int arrow = helper.height();
        talvoro::ui::paintSymbol(*painter, QRectF(left, y, arrow, row.height()), QStringLiteral("arrow.turn.down.right"),
                                 secondaryColor(dark), talvoro::ui::symbolPixelSize(appHelperFont().pixelSize()));
        const int replacementLeft = left + arrow + 6;
        const int replacementWidth = textWidth - arrow - 6;
        const QRect bounds = row.boundingRect(QRect(0, 0, replacementWidth, row.height() * 2), Qt::TextWordWrap,
                                              rule->replacementText);
        const int replacementHeight = qMin(bounds.height(), row.height() * 2);
        painter->setPen(secondaryColor(dark));
        painter->save();
        painter->setClipRect(QRect(replacementLeft, y, replacementWidth, replacementHeight));
        painter->drawText(QRect(replacementLeft, y, replacementWidth, row.height() * 2),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, rule->replacementText);
        painter->restore();
        y += qMax(replacementHeight, row.height());

        if (rule->useCount > 0) {
            y += 4;
            painter->setFont(appHelperFont());
            painter->setPen(secondaryColor(dark)); // as a term's use count
            const QString used =
                localized("Usada %lld×").replace(QStringLiteral("%lld"), QString::number(rule->useCount));
            painter->drawText(QRect(left, y, textWidth, helper.height()), Qt::AlignLeft | Qt::AlignVCenter, used);
        }

        // The switch, drawn like the kit's ToggleSwitch.
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(rule->isEnabled ? m_accent : quaternaryColor(dark));
        painter->drawRoundedRect(sw, sw.height() / 2.0, sw.height() / 2.0);
        const int knob = sw.height() - 4;
        const int knobX = rule->isEnabled ? sw.right() - knob - 1 : sw.left() + 2;
        painter->setBrush(Qt::white);
        painter->drawEllipse(QRect(knobX, sw.top() + 2, knob, knob));
        painter->restore();
    }

    ReplacementRulesModel &m_rules;
    QSortFilterProxyModel &m_filter;

public:
    // The switches' track when on: the accent, as the master switch's.
    QColor m_accent = talvoro::AccentColorOption(talvoro::AccentColorOption::defaultColor).color();
};

} // namespace

ReplacementRulesView::ReplacementRulesView(const AppEnvironment &environment, std::function<void()> openAccount,
                                           QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("replacementRulesView"));
    Q_ASSERT(environment.settings && environment.models);
    m_model = new ReplacementRulesModel(*environment.settings, *environment.models, environment.syncProvider, environment.now,
                                        this);
    m_sheets = new FormSheetPresenter(this);

    m_toolbar = new EditorToolbar(localized("Regras de Substituição"), environment.auth, *environment.settings,
                                  environment.avatarLoader, this);
    connect(m_toolbar->accountItem(), &talvoro::settings::AccountToolbarItem::accountRequested, this,
            [openAccount = std::move(openAccount)] {
                if (openAccount)
                    openAccount();
            });
    connect(m_toolbar->addButton(), &QToolButton::clicked, m_model, &ReplacementRulesModel::openCreate);
    connect(m_toolbar->editButton(), &QToolButton::clicked, this, [this] {
        if (const auto rule = m_model->selectedRule())
            m_model->openEditor(*rule);
    });
    connect(m_toolbar->trashButton(), &QToolButton::clicked, m_model, &ReplacementRulesModel::requestDeleteSelection);
    auto *newShortcut = new QShortcut(QKeySequence::New, this);
    newShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(newShortcut, &QShortcut::activated, m_model, &ReplacementRulesModel::openCreate);

    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(12, 8, 12, 8);
    column->setSpacing(10);

    m_search = new QLineEdit(page);
    m_search->setObjectName(QStringLiteral("searchField"));
    m_search->setPlaceholderText(localized("Buscar regras"));
    m_search->setClearButtonEnabled(true);
    column->addWidget(m_search);

    auto *switchRow = new QHBoxLayout;
    auto *switchLabel = new QLabel(localized("Ativar substituições"), page);
    switchLabel->setFont(appRowFont());
    m_masterSwitch = new talvoro::ui::ToggleSwitch(*environment.settings, page);
    m_masterSwitch->setObjectName(QStringLiteral("rulesEnabledSwitch"));
    switchRow->addWidget(switchLabel);
    switchRow->addStretch(1);
    switchRow->addWidget(m_masterSwitch);
    column->addLayout(switchRow);

    m_content = new QStackedWidget(page);
    m_listModel = new LiveListModel(m_model->query(), this);
    auto *filter = new RuleSearchFilter(*m_model, this);
    m_filter = filter;
    m_filter->setSourceModel(m_listModel);
    m_list = new EditorListView(m_content);
    m_list->setObjectName(QStringLiteral("rulesList"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setUniformItemSizes(false);
    m_list->setModel(m_filter);
    auto *delegate = new RuleRowDelegate(*m_model, *m_filter, m_list);
    m_list->setItemDelegate(delegate);
    talvoro::ui::AccentBinding::bind(
        m_list,
        [this, delegate](const QColor &color) {
            delegate->m_accent = color;
            m_list->viewport()->update();
        },
        *environment.settings);
    m_list->viewport()->installEventFilter(this);
    m_list->setReturnHandler([this] { return m_model->openSelectedRule(); });
    m_list->setDeleteHandler([this] { m_model->deleteCommand(); });
    m_list->setRowDeleteHandler([this](const QList<int> &rows) { m_model->deleteRows(rows); });
    m_list->setMenuBuilder([this](QMenu &menu, const QModelIndex &index) {
        const QUuid id = index.data(LiveListModel::IdRole).toUuid();
        const auto rule = m_model->query().find(id);
        if (!rule)
            return;
        // Act on the rule by id: the list may change while the menu is open.
        menu.addAction(localized("Editar"), this, [this, id] {
            if (const auto current = m_model->query().find(id))
                m_model->openEditor(*current);
        });
        menu.addSeparator();
        menu.addAction(rule->isEnabled ? localized("Desativar Regra") : localized("Ativar Regra"), this,
                       [this, id] { m_model->toggleRule(id); });
        menu.addSeparator();
        menu.addAction(localized("Apagar"), this, [this, id] {
            if (const auto current = m_model->query().find(id))
                m_model->requestDelete(*current);
        });
    });
    m_content->addWidget(m_list);
    auto *noRules = new ContentUnavailableView(
        QStringLiteral("arrow.triangle.2.circlepath"), localized("Nenhuma regra criada"),
        localized("Regras de substituição corrigem automaticamente palavras frequentes."), m_content);
    noRules->setObjectName(QStringLiteral("noRulesView"));
    m_content->addWidget(noRules);
    m_noResults = ContentUnavailableView::searchResults(QString(), m_content);
    m_noResults->setObjectName(QStringLiteral("noSearchResultsView"));
    m_content->addWidget(m_noResults);
    column->addWidget(m_content, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addWidget(new DetailCardModifier(page, this), 1);

    m_masterSwitch->setChecked(m_model->rulesEnabled());
    connect(m_masterSwitch, &talvoro::ui::ToggleSwitch::clicked, m_model, &ReplacementRulesModel::setRulesEnabled);
    connect(m_model, &ReplacementRulesModel::rulesEnabledChanged, this, [this] {
        const QSignalBlocker blocker(m_masterSwitch);
        m_masterSwitch->setChecked(m_model->rulesEnabled());
    });
    connect(m_search, &QLineEdit::textChanged, m_model, &ReplacementRulesModel::setSearchText);
    // Rows the search hides or shows again are no choice of the user's: the
    // selection stays the model's, and the list shows it again after.
    const auto refilter = [this, filter] {
        const QSignalBlocker blocker(m_list);
        filter->refilter();
        m_list->selectIds(m_model->selection());
        refreshContent();
        refreshToolbar();
    };
    connect(m_model, &ReplacementRulesModel::searchTextChanged, this, refilter);
    connect(&m_model->query(), &LiveQueryBase::changed, this, refilter);
    connect(m_list, &EditorListView::selectedIdsChanged, this, &ReplacementRulesView::syncSelectionFromView);
    connect(m_model, &ReplacementRulesModel::selectionChanged, this, [this] {
        // Drop view rows whose ids left the model's selection (a deletion).
        const QModelIndexList rows = m_list->selectionModel()->selectedIndexes();
        for (const QModelIndex &index : rows) {
            if (!m_model->selection().contains(index.data(LiveListModel::IdRole).toUuid()))
                m_list->selectionModel()->select(index, QItemSelectionModel::Deselect);
        }
        refreshToolbar();
    });
    connect(m_model, &ReplacementRulesModel::sheetModeChanged, this, &ReplacementRulesView::presentSheet);
    connect(m_sheets, &FormSheetPresenter::dismissed, m_model, &ReplacementRulesModel::closeSheet);
    connect(m_model, &ReplacementRulesModel::deleteAlertChanged, this, &ReplacementRulesView::presentDeleteAlert);
    refreshContent();
    refreshToolbar();
}

ReplacementRulesView::~ReplacementRulesView() = default;

void ReplacementRulesView::refreshContent()
{
    switch (m_model->content()) {
    case ReplacementRulesModel::Content::rules:
        m_content->setCurrentIndex(0);
        break;
    case ReplacementRulesModel::Content::noRules:
        m_content->setCurrentIndex(1);
        break;
    case ReplacementRulesModel::Content::noSearchResults: {
        auto *replacement = ContentUnavailableView::searchResults(m_model->searchText(), m_content);
        replacement->setObjectName(QStringLiteral("noSearchResultsView"));
        m_content->insertWidget(2, replacement);
        m_content->removeWidget(m_noResults);
        m_noResults->deleteLater();
        m_noResults = replacement;
        m_content->setCurrentIndex(2);
        break;
    }
    }
}

void ReplacementRulesView::refreshToolbar()
{
    m_toolbar->editButton()->setVisible(m_model->showsEditButton());
    m_toolbar->trashButton()->setVisible(m_model->showsTrashButton());
}

void ReplacementRulesView::syncSelectionFromView()
{
    // Ids hidden by the search stay selected.
    m_model->setSelection(m_list->selectionKeepingHidden(
        m_model->selection(), [this](const QUuid &id) { return m_model->isShown(id); }));
}

void ReplacementRulesView::presentSheet()
{
    const auto &mode = m_model->sheetMode();
    if (!mode) {
        m_sheets->dismiss();
        return;
    }
    // The open sheet stays when its identity is asked for again.
    if (m_sheets->isPresented() && m_sheets->identity() == mode->id())
        return;
    QPointer<ReplacementRulesModel> model(m_model);
    QPointer<FormSheetPresenter> sheets(m_sheets);
    auto *form = new RuleFormSheet(
        *mode, m_model->context(), m_model->sync(), m_model->clock(),
        [model](const ReplacementRule &rule) {
            if (model)
                model->deleteFromForm(rule);
        },
        [sheets] {
            if (sheets)
                sheets->dismiss();
        });
    m_sheets->present(form, mode->id(), RuleFormSheet::sizeFor(*mode));
}

void ReplacementRulesView::presentDeleteAlert()
{
    // Either button closes the alert after running its action.
    if (!m_model->showsDeleteAlert())
        return;
    if (m_alert && m_alert->isVisible()) {
        m_alert->setText(m_model->deleteAlertTitle());
        m_alert->setInformativeText(m_model->deleteAlertMessage());
        return;
    }
    QPointer<ReplacementRulesModel> model(m_model);
    m_alert = talvoro::settings::openDeleteConfirmation(
        this, m_model->deleteAlertTitle(), m_model->deleteAlertMessage(),
        [model] {
            if (model)
                model->cancelDelete();
        },
        [model] {
            if (model)
                model->deletePendingRules();
        });
}

bool ReplacementRulesView::eventFilter(QObject *watched, QEvent *event)
{
    // A click on a row's switch toggles the rule and leaves the selection.
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex at = m_list->indexAt(mouse->position().toPoint());
        if (at.isValid() && mouse->button() == Qt::LeftButton
            && RuleRowDelegate::switchRect(m_list->visualRect(at)).contains(mouse->position().toPoint())) {
            const QUuid id = at.data(LiveListModel::IdRole).toUuid();
            if (const auto rule = m_model->query().find(id))
                m_model->setRuleEnabled(id, !rule->isEnabled);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ReplacementRulesView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // The pull belongs to the synchroniser; nothing runs here after it.
    if (SyncProviding *sync = m_model->sync())
        (void)sync->pullIfStale(ReplacementRulesModel::kPullMinimumInterval);
}
