#include "screens/dictation-settings/ui/RuleFormSheet.h"

#include "look/Theme.h"
#include "texts/Localization.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace talvoro;

namespace {

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setStyleSheet(QStringLiteral("color: palette(mid);"));
    return line;
}

QLabel *sectionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(appRowFont());
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

RuleFormSheet::RuleFormSheet(talvoro::rules::SheetMode mode, ModelContext &context, talvoro::rules::RuleSyncHooks hooks,
                             std::function<QDateTime()> now, std::function<void(const ReplacementRule &)> onDelete,
                             QWidget *parent)
    : QDialog(parent)
    , m_form(std::move(mode), context, std::move(hooks), std::move(now))
    , m_onDelete(std::move(onDelete))
{
    setObjectName(QStringLiteral("ruleFormSheet"));
    setWindowModality(Qt::WindowModal);
    const bool editing = m_form.mode().isEdit();
    setFixedSize(640, editing ? 480 : 400);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(20, 16, 20, 12);
    auto *cancelButton = new QPushButton(localized("Cancelar"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setFlat(true);
    cancelButton->setAutoDefault(false);
    connect(cancelButton, &QPushButton::clicked, this, &RuleFormSheet::cancel);
    auto *title = new QLabel(editing ? localized("Editar Regra") : localized("Nova Regra"), this);
    title->setObjectName(QStringLiteral("sheetTitle"));
    QFont headline = title->font();
    headline.setBold(true);
    title->setFont(headline);
    m_save = new QPushButton(editing ? localized("Salvar") : localized("Adicionar"), this);
    m_save->setObjectName(QStringLiteral("saveButton"));
    m_save->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &RuleFormSheet::save);
    header->addWidget(cancelButton);
    header->addStretch(1);
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(m_save);
    column->addLayout(header);
    column->addWidget(divider(this));

    auto *fields = new QVBoxLayout;
    fields->setContentsMargins(20, 16, 20, 20);
    fields->setSpacing(16);
    auto *originalSection = new QVBoxLayout;
    originalSection->setSpacing(6);
    originalSection->addWidget(sectionLabel(localized("Quando transcrever"), this));
    m_original = new QLineEdit(m_form.originalText, this);
    m_original->setObjectName(QStringLiteral("originalField"));
    m_original->setPlaceholderText(localized("Texto original"));
    originalSection->addWidget(m_original);
    fields->addLayout(originalSection);

    auto *replacementSection = new QVBoxLayout;
    replacementSection->setSpacing(6);
    replacementSection->addWidget(sectionLabel(localized("Substituir por"), this));
    m_replacement = new QPlainTextEdit(m_form.replacementText, this);
    m_replacement->setObjectName(QStringLiteral("replacementField"));
    m_replacement->setFont(appRowFont());
    m_replacement->setTabChangesFocus(true);
    m_replacement->document()->setDocumentMargin(4);
    m_replacement->setStyleSheet(QStringLiteral(
        "QPlainTextEdit { background: palette(base); border: 0.5px solid palette(mid); border-radius: 6px; }"));
    replacementSection->addWidget(m_replacement, 1);
    fields->addLayout(replacementSection, 1);

    if (editing) {
        fields->addSpacing(4);
        fields->addWidget(divider(this));
        auto *deleteButton = new QPushButton(localized("Excluir Regra"), this);
        deleteButton->setObjectName(QStringLiteral("deleteButton"));
        deleteButton->setFlat(true);
        deleteButton->setAutoDefault(false);
        deleteButton->setStyleSheet(QStringLiteral("QPushButton { color: #FF3B30; }"));
        connect(deleteButton, &QPushButton::clicked, this, &RuleFormSheet::deleteRule);
        fields->addWidget(deleteButton);
    }
    column->addLayout(fields, 1);

    auto refresh = [this] {
        m_form.originalText = m_original->text();
        m_form.replacementText = m_replacement->toPlainText();
        m_save->setEnabled(m_form.canSave());
    };
    connect(m_original, &QLineEdit::textChanged, this, refresh);
    connect(m_replacement, &QPlainTextEdit::textChanged, this, refresh);
    refresh();
    // No field takes the focus on opening.
    setFocusPolicy(Qt::StrongFocus);
    setFocus();
}

void RuleFormSheet::cancel()
{
    reject();
}

void RuleFormSheet::save()
{
    if (m_form.save())
        accept();
}

void RuleFormSheet::deleteRule()
{
    if (!m_form.mode().rule)
        return;
    const ReplacementRule rule = *m_form.mode().rule;
    auto onDelete = m_onDelete;
    reject();
    if (onDelete)
        onDelete(rule);
}

void RuleFormSheet::keyPressEvent(QKeyEvent *event)
{
    // No default button: Return in a single-line field commits nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
