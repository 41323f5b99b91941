#include "screens/dictation-settings/ui/RuleFormSheet.h"

#include "look/Theme.h"
#include "screens/dictation-settings/ui/FormSheetParts.h"
#include "texts/Localization.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace talvoro;

QSize RuleFormSheet::sizeFor(const rules::SheetMode &mode)
{
    return {kWidth, mode.isEdit() ? 480 : 400};
}

RuleFormSheet::RuleFormSheet(rules::SheetMode mode, ModelContext &context, SyncProviding *sync,
                             std::function<QDateTime()> now, std::function<void(const ReplacementRule &)> onDelete,
                             std::function<void()> dismiss, QWidget *parent)
    : QWidget(parent)
    , m_form(std::move(mode), context, sync, std::move(now))
    , m_onDelete(std::move(onDelete))
    , m_dismiss(std::move(dismiss))
{
    setObjectName(QStringLiteral("ruleFormSheet"));
    const bool editing = m_form.mode().isEdit();

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    const forms::SheetHeader header = forms::sheetHeader(editing ? localized("Editar Regra") : localized("Nova Regra"),
                                                         editing ? localized("Salvar") : localized("Adicionar"), this);
    m_save = header.save;
    connect(header.cancel, &QPushButton::clicked, this, &RuleFormSheet::cancel);
    connect(m_save, &QPushButton::clicked, this, &RuleFormSheet::save);
    column->addWidget(header.widget);
    column->addWidget(forms::sheetDivider(this));

    auto *fields = new QVBoxLayout;
    fields->setContentsMargins(20, 16, 20, 20);
    fields->setSpacing(16);
    m_original = new QLineEdit(m_form.originalText, this);
    m_original->setObjectName(QStringLiteral("originalField"));
    m_original->setPlaceholderText(localized("Texto original"));
    fields->addWidget(forms::sheetSection(localized("Quando transcrever"), m_original, this));

    m_replacement = new QPlainTextEdit(m_form.replacementText, this);
    m_replacement->setObjectName(QStringLiteral("replacementField"));
    m_replacement->setFont(appRowFont());
    m_replacement->setTabChangesFocus(true);
    m_replacement->document()->setDocumentMargin(4);
    m_replacement->setStyleSheet(QStringLiteral(
        "QPlainTextEdit { background: palette(base); border: 0.5px solid palette(mid); border-radius: 6px; }"));
    fields->addWidget(forms::sheetSection(localized("Substituir por"), m_replacement, this), 1);

    if (editing) {
        fields->addSpacing(4 - fields->spacing());
        fields->addWidget(forms::sheetDivider(this));
        QPushButton *remove = forms::sheetDeleteButton(localized("Excluir Regra"), this);
        connect(remove, &QPushButton::clicked, this, &RuleFormSheet::deleteRule);
        fields->addWidget(remove);
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
}

void RuleFormSheet::cancel()
{
    if (m_dismiss)
        m_dismiss();
}

void RuleFormSheet::save()
{
    if (m_form.save())
        cancel();
}

void RuleFormSheet::deleteRule()
{
    if (!m_form.mode().rule)
        return;
    const ReplacementRule rule = *m_form.mode().rule;
    auto onDelete = m_onDelete;
    cancel();
    if (onDelete)
        onDelete(rule);
}
