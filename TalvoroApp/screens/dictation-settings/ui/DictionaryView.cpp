#include "screens/dictation-settings/ui/DictionaryView.h"

#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"
#include "look/ui/Symbols.h"
#include "look/ui/ToggleSwitch.h"
#include "platform/LiveListModel.h"
#include "platform/ModelContext.h"
#include "platform/SettingsKeys.h"
#include "screens/dictation-settings/LanguageTables.h"
#include "screens/dictation-settings/ui/TermFormSheet.h"
#include "screens/settings/ui/AccountToolbarItem.h"
#include "screens/settings/ui/Alerts.h"
#include "screens/settings/ui/ContentUnavailableView.h"
#include "screens/settings/ui/EditorListView.h"
#include "screens/settings/ui/EditorToolbar.h"
#include "screens/settings/ui/FormSheetPresenter.h"
#include "screens/settings/ui/SegmentedPicker.h"
#include "texts/Localization.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QShortcut>
#include <QShowEvent>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

namespace talvoro::dictionary {

namespace {

constexpr int kRowHeight = 64;
constexpr int kSidePadding = 12;

// The rows of the current language that match the search.
class ShownEntries : public QSortFilterProxyModel
{
public:
    ShownEntries(DictionaryEditor &editor, QObject *parent)
        : QSortFilterProxyModel(parent)
        , m_editor(editor)
    {
    }
    void refilter() { invalidateRowsFilter(); }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &) const override
    {
        return row < m_editor.query().count() && m_editor.isShown(m_editor.query().results()[row]);
    }

private:
    DictionaryEditor &m_editor;
};

// Paints one term: the term, its date and language badge, its use count.
class EntryDelegate : public QStyledItemDelegate
{
public:
    EntryDelegate(DictionaryEditor &editor, QSortFilterProxyModel &filter, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_editor(editor)
        , m_filter(filter)
    {
    }
    QColor accent = QColor(0x00, 0x7a, 0xff);

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override { return {0, kRowHeight}; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        // A selected row is filled in the accent made readable, and all its
        // text, the language badge too, takes the colour that reads on it.
        const bool selected = option.state & QStyle::State_Selected;
        const QColor selection = accentSurfaceColor(accent);
        const QColor onSelection = foregroundOnSurface(selection);
        if (selected) {
            painter->fillRect(option.rect, selection);
        } else {
            QStyleOptionViewItem background = option;
            initStyleOption(&background, index);
            background.text.clear();
            QStyledItemDelegate::paint(painter, background, index);
        }
        const int source = m_filter.mapToSource(index).row();
        if (source < 0 || source >= m_editor.query().count())
            return;
        const DictionaryEntry &entry = m_editor.query().results()[source];
        const bool dark = ui::isDark(option.palette);
        const QRect box = option.rect.adjusted(kSidePadding, 8, -kSidePadding, -8);
        painter->save();
        painter->setFont(appRowFont());
        painter->setPen(selected ? onSelection : primaryColor(dark));
        const QFontMetrics rowMetrics(appRowFont());
        painter->drawText(QRect(box.left(), box.top(), box.width(), rowMetrics.height()), Qt::AlignLeft,
                          rowMetrics.elidedText(entry.term, Qt::ElideRight, box.width()));
        QFont helper = appHelperFont();
        const QFontMetrics helperMetrics(helper);
        int x = box.left();
        const int y = box.top() + rowMetrics.height() + 4;
        const QString date = entryDateText(entry.createdAt, isPortuguese());
        painter->setFont(helper);
        painter->setPen(selected ? onSelection : secondaryColor(dark));
        painter->drawText(QPoint(x, y + helperMetrics.ascent()), date);
        x += helperMetrics.horizontalAdvance(date) + 6;
        if (m_editor.showsPicker()) {
            QFont bold = helper;
            bold.setBold(true);
            const QString badge = languageShortLabel(entry.language);
            const QFontMetrics boldMetrics(bold);
            const QRectF capsule(x, y - 2, boldMetrics.horizontalAdvance(badge) + 16, boldMetrics.height() + 4);
            const QColor text = selected ? onSelection : accent;
            QColor fill = text;
            fill.setAlphaF(selected ? 0.2 : 0.08);
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(fill);
            painter->drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
            painter->setFont(bold);
            painter->setPen(text);
            painter->drawText(capsule, Qt::AlignCenter, badge);
        }
        const QString used = useCountText(entry.useCount);
        if (!used.isEmpty()) {
            painter->setFont(helper);
            painter->setPen(selected ? onSelection : secondaryColor(dark));
            painter->drawText(QPoint(box.left(), y + helperMetrics.height() + 4 + helperMetrics.ascent()), used);
        }
        painter->restore();
    }

private:
    DictionaryEditor &m_editor;
    QSortFilterProxyModel &m_filter;
};

} // namespace

DictionaryView::DictionaryView(const AppEnvironment &environment, std::function<void()> openAccount,
                               QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
{
    setObjectName(QStringLiteral("dictionaryView"));
    m_sheets = new settings::FormSheetPresenter(this);

    Q_ASSERT(environment.settings && environment.models);
    m_toolbar = new settings::EditorToolbar(localized("Dicionário Pessoal"), environment.auth, *environment.settings,
                                            environment.avatarLoader, this);
    connect(m_toolbar->accountItem(), &settings::AccountToolbarItem::accountRequested, this,
            [openAccount = std::move(openAccount)] {
                if (openAccount)
                    openAccount();
            });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_toolbar);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(kSidePadding, 0, kSidePadding, kSidePadding);
    body->setSpacing(12);
    layout->addLayout(body, 1);

    m_editor = new DictionaryEditor(*environment.settings, environment.models->mainContext(), environment.syncProvider,
                                    environment.now, this);

    auto *switchRow = new QHBoxLayout;
    auto *switchLabel = new QLabel(localized("Ativar dicionário"), this);
    switchLabel->setFont(appRowFont());
    m_switch = new ui::ToggleSwitch(*environment.settings, this);
    m_switch->setObjectName(QStringLiteral("dictionarySwitch"));
    m_switch->setChecked(m_editor->dictionaryEnabled());
    // clicked() is the user's own toggle; a pulled value only redraws.
    connect(m_switch, &ui::ToggleSwitch::clicked, this, [this](bool on) { m_editor->setDictionaryEnabled(on); });
    connect(environment.settings, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (key == SettingsKeys::dictionaryEnabled) {
            const QSignalBlocker blocker(m_switch);
            m_switch->setChecked(m_editor->dictionaryEnabled());
        }
    });
    switchRow->addWidget(switchLabel, 1);
    switchRow->addWidget(m_switch);
    body->addLayout(switchRow);

    m_picker = new settings::SegmentedPicker(this);
    m_picker->setObjectName(QStringLiteral("languagePicker"));
    connect(m_picker, &settings::SegmentedPicker::tagActivated, m_editor, &DictionaryEditor::selectLanguage);
    body->addWidget(m_picker);

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("searchField"));
    m_search->setPlaceholderText(localized("Buscar termo"));
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textChanged, m_editor, &DictionaryEditor::setSearchText);
    body->addWidget(m_search);

    m_content = new QStackedWidget(this);
    auto *source = new LiveListModel(m_editor->query(), this);
    auto *filter = new ShownEntries(*m_editor, this);
    filter->setSourceModel(source);
    m_filter = filter;
    m_list = new settings::EditorListView(m_content);
    m_list->setObjectName(QStringLiteral("dictionaryList"));
    m_list->setModel(m_filter);
    auto *delegate = new EntryDelegate(*m_editor, *m_filter, m_list);
    m_list->setItemDelegate(delegate);
    ui::AccentBinding::bind(m_list, [this, delegate](const QColor &color) {
        delegate->accent = color;
        m_picker->setAccent(color);
        m_list->viewport()->update();
    }, *environment.settings);
    m_content->addWidget(m_list);
    auto *empty = new settings::ContentUnavailableView(
        QStringLiteral("text.book.closed"), localized("Nenhum termo adicionado"),
        localized("Termos do dicionário ajudam a melhorar a precisão da transcrição."), m_content);
    empty->setObjectName(QStringLiteral("dictionaryEmptyState"));
    m_content->addWidget(empty);
    body->addWidget(m_content, 1);

    connect(m_list, &settings::EditorListView::selectedIdsChanged, this, [this] {
        // Ids hidden by the search or the language stay selected.
        m_editor->setSelection(m_list->selectionKeepingHidden(
            m_editor->selection(), [this](const QUuid &id) { return m_editor->isShown(id); }));
        refresh();
    });
    m_list->setReturnHandler([this] {
        const std::optional<DictionaryEntry> entry = m_editor->editableEntry();
        if (entry)
            editEntry(*entry);
        return entry.has_value();
    });
    m_list->setDeleteHandler([this] {
        if (m_editor->requestDeleteCommand())
            openDeleteConfirmation();
    });
    // Shift+Delete: the list's own deletion of the chosen rows, unconfirmed.
    m_list->setRowDeleteHandler([this](const QList<int> &) { m_editor->deleteRowsNow(m_list->selectedIds()); });
    m_list->setMenuBuilder([this](QMenu &menu, const QModelIndex &index) {
        const QUuid id = index.data(LiveListModel::IdRole).toUuid();
        menu.addAction(localized("Editar"), this, [this, id] {
            if (auto entry = m_editor->query().find(id))
                editEntry(*entry);
        });
        menu.addSeparator();
        QAction *remove = menu.addAction(localized("Apagar"), this, [this, id] {
            if (auto entry = m_editor->query().find(id)) {
                m_editor->requestEntryDeletion(*entry);
                openDeleteConfirmation();
            }
        });
        remove->setObjectName(QStringLiteral("deleteAction"));
    });

    connect(m_toolbar->addButton(), &QToolButton::clicked, this, &DictionaryView::addTerm);
    auto *newShortcut = new QShortcut(QKeySequence::New, this);
    newShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(newShortcut, &QShortcut::activated, this, &DictionaryView::addTerm);
    connect(m_toolbar->editButton(), &QToolButton::clicked, this, [this] {
        if (auto entry = m_editor->editableEntry())
            editEntry(*entry);
    });
    connect(m_toolbar->trashButton(), &QToolButton::clicked, this, &DictionaryView::deleteSelection);

    // Rows the filter hides or shows again are no choice of the user's: the
    // selection stays the editor's, and the list shows it again after.
    const auto refilter = [this, filter] {
        const QSignalBlocker blocker(m_list);
        filter->refilter();
        m_list->selectIds(m_editor->selection());
        refresh();
    };
    connect(&m_editor->query(), &LiveQueryBase::changed, this, refilter);
    connect(m_editor, &DictionaryEditor::stateChanged, this, refilter);
    refresh();
}

void DictionaryView::refresh()
{
    const QStringList languages = m_editor->availableLanguages();
    if (m_picker->tags() != languages) {
        settings::SegmentedPicker::Options options;
        for (const QString &code : languages)
            options.emplace_back(code, languageDisplayName(code));
        m_picker->setOptions(options);
    }
    // The language picked, not the one shown: once every term of it is
    // gone, no segment is selected.
    m_picker->setCurrentTag(m_editor->selectedLanguage());
    m_picker->setVisible(languages.size() >= 2);

    switch (m_editor->content()) {
    case DictionaryEditor::Content::list:
        m_content->setCurrentWidget(m_list);
        break;
    case DictionaryEditor::Content::empty:
        m_content->setCurrentIndex(1);
        break;
    case DictionaryEditor::Content::noSearchResults:
        if (m_noResults) {
            m_content->removeWidget(m_noResults);
            m_noResults->deleteLater();
        }
        m_noResults = settings::ContentUnavailableView::searchResults(m_editor->searchText(), m_content);
        m_content->addWidget(m_noResults);
        m_content->setCurrentWidget(m_noResults);
        break;
    }
    m_toolbar->editButton()->setVisible(m_editor->editableEntry().has_value());
    m_toolbar->trashButton()->setVisible(!m_editor->selection().isEmpty());
}

void DictionaryView::addTerm()
{
    if (!m_editor->canAddTerm()) {
        openLimitAlert(this);
        return;
    }
    editEntry({});
}

void DictionaryView::editEntry(const DictionaryEntry &entry)
{
    const DictionarySheetMode mode =
        entry.id.isNull() ? DictionarySheetMode::create() : DictionarySheetMode::edit(entry);
    TermFormSheet::Inputs inputs;
    inputs.mode = mode;
    inputs.defaultLanguage = m_editor->currentLanguage();
    inputs.availableLanguages = m_editor->availableLanguages();
    inputs.allEntries = &m_editor->query();
    QPointer<DictionaryEditor> editor(m_editor);
    inputs.onDelete = [editor](const DictionaryEntry &deleted) {
        if (editor)
            editor->deleteFromSheet(deleted);
    };
    QPointer<settings::FormSheetPresenter> sheets(m_sheets);
    auto *sheet = new TermFormSheet(std::move(inputs), m_environment.models->mainContext(), m_environment.syncProvider,
                                    m_environment.now, [sheets] {
                                        if (sheets)
                                            sheets->dismiss();
                                    });
    m_sheets->present(sheet, mode.identity(), QSize(TermFormSheet::kWidth, 0));
}

void DictionaryView::deleteSelection()
{
    m_editor->requestSelectionDeletion();
    openDeleteConfirmation();
}

void DictionaryView::openDeleteConfirmation()
{
    const ConfirmationTexts texts = deleteConfirmationTexts(qsizetype(m_editor->pendingDeletion().size()));
    QPointer<DictionaryEditor> editor(m_editor);
    settings::openDeleteConfirmation(
        this, texts.title, texts.message,
        [editor] {
            if (editor)
                editor->cancelDelete();
        },
        [editor] {
            if (editor)
                editor->confirmDelete();
        });
}

void DictionaryView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_editor->appeared();
    refresh();
}

} // namespace talvoro::dictionary
