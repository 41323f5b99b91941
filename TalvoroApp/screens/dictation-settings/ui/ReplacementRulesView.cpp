#include "screens/dictation-settings/ui/ReplacementRulesView.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "look/ui/Symbols.h"
#include "look/ui/ToggleSwitch.h"
#include "platform/LiveListModel.h"
#include "platform/ModelContext.h"
#include "screens/dictation-settings/ui/RuleFormSheet.h"
#include "screens/settings/ui/ContentUnavailableView.h"
#include "screens/settings/ui/DetailCardModifier.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "texts/Localization.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
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
using talvoro::settings::ToolbarStrip;

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
            painter->setPen(tertiaryColor(dark));
            const QString used =
                localized("Usada %lld×").replace(QStringLiteral("%lld"), QString::number(rule->useCount));
            painter->drawText(QRect(left, y, textWidth, helper.height()), Qt::AlignLeft | Qt::AlignVCenter, used);
        }

        // The switch, drawn like the kit's ToggleSwitch.
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(rule->isEnabled ? option.palette.color(QPalette::Highlight) : quaternaryColor(dark));
        painter->drawRoundedRect(sw, sw.height() / 2.0, sw.height() / 2.0);
        const int knob = sw.height() - 4;
        const int knobX = rule->isEnabled ? sw.right() - knob - 1 : sw.left() + 2;
        painter->setBrush(Qt::white);
        painter->drawEllipse(QRect(knobX, sw.top() + 2, knob, knob));
        painter->restore();
    }

    ReplacementRulesModel &m_rules;
    QSortFilterProxyModel &m_filter;
};

QToolButton *toolbarButton(const QString &symbol, const char *objectName, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoRaise(true);
    button->setIcon(talvoro::ui::symbolIcon(symbol, secondaryColor(talvoro::ui::isDark(parent)), 16));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(QString());
    return button;
}

} // namespace

ReplacementRulesView::ReplacementRulesView(const AppEnvironment &environment, talvoro::rules::RuleSyncHooks hooks,
                                           QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("replacementRulesView"));
    Q_ASSERT(environment.settings && environment.models);
    m_model = new ReplacementRulesModel(*environment.settings, *environment.models, std::move(hooks), environment.now,
                                        this);

    auto *toolbar = new ToolbarStrip(localized("Regras de Substituição"), ToolbarStrip::Placement::pushed, this);
    auto *buttons = new QWidget;
    auto *buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    m_add = toolbarButton(QStringLiteral("plus"), "addRuleButton", buttons);
    m_edit = toolbarButton(QStringLiteral("pencil"), "editRuleButton", buttons);
    m_trash = toolbarButton(QStringLiteral("trash"), "deleteRulesButton", buttons);
    buttonRow->addWidget(m_add);
    buttonRow->addWidget(m_edit);
    buttonRow->addWidget(m_trash);
    toolbar->setTrailingItem(buttons);
    connect(m_add, &QToolButton::clicked, m_model, &ReplacementRulesModel::openCreate);
    connect(m_edit, &QToolButton::clicked, this, [this] {
        if (const auto rule = m_model->selectedRule())
            m_model->openEditor(*rule);
    });
    connect(m_trash, &QToolButton::clicked, m_model, &ReplacementRulesModel::requestDeleteSelection);
    auto *newShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), this);
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
    m_list = new QListView(m_content);
    m_list->setObjectName(QStringLiteral("rulesList"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setUniformItemSizes(false);
    m_list->setModel(m_filter);
    m_list->setItemDelegate(new RuleRowDelegate(*m_model, *m_filter, m_list));
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
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
    layout->addWidget(toolbar);
    layout->addWidget(new DetailCardModifier(page, this), 1);

    m_masterSwitch->setChecked(m_model->rulesEnabled());
    connect(m_masterSwitch, &talvoro::ui::ToggleSwitch::clicked, m_model, &ReplacementRulesModel::setRulesEnabled);
    connect(m_model, &ReplacementRulesModel::rulesEnabledChanged, this, [this] {
        const QSignalBlocker blocker(m_masterSwitch);
        m_masterSwitch->setChecked(m_model->rulesEnabled());
    });
    connect(m_search, &QLineEdit::textChanged, m_model, &ReplacementRulesModel::setSearchText);
    connect(m_model, &ReplacementRulesModel::searchTextChanged, this, [this, filter] {
        filter->refilter();
        refreshContent();
    });
    connect(&m_model->query(), &LiveQueryBase::changed, this, [this, filter] {
        filter->refilter();
        refreshContent();
        refreshToolbar();
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ReplacementRulesView::syncSelectionFromView);
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
    connect(m_model, &ReplacementRulesModel::deleteAlertChanged, this, &ReplacementRulesView::presentDeleteAlert);
    refreshContent();
    refreshToolbar();
}

ReplacementRulesView::~ReplacementRulesView() = default;

RuleFormSheet *ReplacementRulesView::sheet() const
{
    return m_sheet;
}

QMessageBox *ReplacementRulesView::deleteAlert() const
{
    return m_alert;
}

int ReplacementRulesView::displayedRow(const QUuid &id) const
{
    const qsizetype source = m_model->query().indexOf(id);
    if (source < 0)
        return -1;
    return m_filter->mapFromSource(m_listModel->index(int(source))).row();
}

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
    m_edit->setVisible(m_model->showsEditButton());
    m_trash->setVisible(m_model->showsTrashButton());
}

void ReplacementRulesView::syncSelectionFromView()
{
    // Ids hidden by the search stay selected; only what the view shows is
    // taken from the view.
    QSet<QUuid> selection;
    for (const QUuid &id : m_model->selection()) {
        if (displayedRow(id) < 0)
            selection.insert(id);
    }
    for (const QModelIndex &index : m_list->selectionModel()->selectedIndexes())
        selection.insert(index.data(LiveListModel::IdRole).toUuid());
    m_model->setSelection(std::move(selection));
}

void ReplacementRulesView::presentSheet()
{
    const auto &mode = m_model->sheetMode();
    if (m_sheet && (!mode || m_sheet->mode().id() != mode->id())) {
        QPointer<RuleFormSheet> old = m_sheet;
        m_sheet = nullptr;
        old->disconnect(this);
        old->close();
        old->deleteLater();
    }
    if (!mode || m_sheet)
        return;
    auto *model = m_model;
    m_sheet = new RuleFormSheet(*mode, model->context(), model->hooks(), model->clock(),
                                [model](const ReplacementRule &rule) { model->deleteFromForm(rule); }, this);
    m_sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_sheet, &QDialog::finished, this, [this, sheet = m_sheet.data()] {
        if (m_sheet == sheet) {
            m_sheet = nullptr;
            m_model->closeSheet();
        }
    });
    m_sheet->open();
}

void ReplacementRulesView::presentDeleteAlert()
{
    if (!m_model->showsDeleteAlert()) {
        if (m_alert)
            m_alert->close();
        return;
    }
    if (m_alert) {
        m_alert->setText(m_model->deleteAlertTitle());
        m_alert->setInformativeText(m_model->deleteAlertMessage());
        return;
    }
    m_alert = new QMessageBox(QMessageBox::Warning, m_model->deleteAlertTitle(), m_model->deleteAlertTitle(),
                              QMessageBox::NoButton, this);
    m_alert->setObjectName(QStringLiteral("deleteRulesAlert"));
    m_alert->setInformativeText(m_model->deleteAlertMessage());
    m_alert->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *cancel = m_alert->addButton(localized("Cancelar"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelDeleteButton"));
    QPushButton *confirm = m_alert->addButton(localized("Excluir"), QMessageBox::DestructiveRole);
    confirm->setObjectName(QStringLiteral("confirmDeleteButton"));
    m_alert->setDefaultButton(cancel);
    m_alert->setEscapeButton(cancel);
    connect(m_alert, &QMessageBox::finished, this, [this, confirm, alert = m_alert.data()] {
        if (!m_model->showsDeleteAlert())
            return;
        if (alert->clickedButton() == confirm)
            m_model->deletePendingRules();
        else
            m_model->cancelDelete();
    });
    m_alert->open();
}

void ReplacementRulesView::showContextMenu(const QUuid &id, const QPoint &globalPosition)
{
    const auto rule = m_model->query().find(id);
    if (!rule)
        return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("ruleRowMenu"));
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
    menu.exec(globalPosition);
}

bool ReplacementRulesView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::ContextMenu) {
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        const QModelIndex at = m_list->indexAt(menuEvent->pos());
        if (at.isValid())
            showContextMenu(at.data(LiveListModel::IdRole).toUuid(), menuEvent->globalPos());
        return true;
    }
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
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return m_model->openSelectedRule();
        if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
            m_model->deleteCommand();
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
    if (m_model->hooks().pullIfStale)
        (void)m_model->hooks().pullIfStale(ReplacementRulesModel::kPullMinimumInterval);
}
