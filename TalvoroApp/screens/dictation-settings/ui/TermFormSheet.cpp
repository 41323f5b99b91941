#include "screens/dictation-settings/ui/TermFormSheet.h"

#include "look/Theme.h"
#include "look/ui/MenuPicker.h"
#include "look/ui/StyledLabel.h"
#include "platform/ModelContext.h"
#include "screens/dictation-settings/LanguageTables.h"
#include "screens/settings/ui/Alerts.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "texts/Localization.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace talvoro::dictionary {

using settings::AlertButton;

namespace {

QWidget *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, separatorColor(false));
    line->setPalette(palette);
    return line;
}

// No button of a sheet reacts to Return: the fields have no submit action.
QPushButton *sheetButton(const QString &text, const char *objectName, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QWidget *section(const QString &label, QWidget *input, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto *caption = new ui::StyledLabel(label, ui::StyledLabel::Style::secondary, box);
    caption->setFont(appRowFont());
    layout->addWidget(caption);
    layout->addWidget(input);
    return box;
}

} // namespace

TermFormSheet::TermFormSheet(Inputs inputs, ModelContext &context, DictionarySyncHooks hooks,
                             std::function<QDateTime()> now, std::function<void()> dismiss, QWidget *parent)
    : QWidget(parent)
    , m_form(inputs.mode, inputs.defaultLanguage, inputs.availableLanguages)
    , m_inputs(std::move(inputs))
    , m_context(&context)
    , m_hooks(std::move(hooks))
    , m_now(std::move(now))
    , m_dismiss(std::move(dismiss))
{
    setObjectName(QStringLiteral("termFormSheet"));
    setFixedWidth(kWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(divider(this));
    layout->addWidget(buildFields());
}

QWidget *TermFormSheet::buildHeader()
{
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(20, 16, 20, 12);
    QPushButton *cancel = sheetButton(localized("Cancelar"), "cancelButton", header);
    cancel->setFlat(true);
    connect(cancel, &QPushButton::clicked, this, &TermFormSheet::cancel);
    row->addWidget(cancel);
    row->addStretch(1);
    auto *title = new ui::StyledLabel(m_form.title(), ui::StyledLabel::Style::primary, header);
    title->setObjectName(QStringLiteral("sheetTitle"));
    title->setFont(textStyleFont(TextStyle::headline, QFont::DemiBold));
    row->addWidget(title);
    row->addStretch(1);
    m_save = sheetButton(m_form.saveButtonText(), "saveButton", header);
    m_save->setEnabled(m_form.canSave());
    connect(m_save, &QPushButton::clicked, this, &TermFormSheet::save);
    row->addWidget(m_save);
    return header;
}

QWidget *TermFormSheet::buildFields()
{
    auto *fields = new QWidget(this);
    auto *column = new QVBoxLayout(fields);
    column->setContentsMargins(20, 16, 20, 20);
    column->setSpacing(16);

    m_term = new QLineEdit(m_form.term, fields);
    m_term->setObjectName(QStringLiteral("termField"));
    m_term->setPlaceholderText(localized("Ex: OpenAI, Kubernetes, etc."));
    m_term->setFont(appRowFont());
    connect(m_term, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_form.term = text;
        m_save->setEnabled(m_form.canSave());
    });
    column->addWidget(section(localized("Termo"), m_term, fields));

    m_language = new MenuPicker(fields);
    m_language->setObjectName(QStringLiteral("languagePicker"));
    for (const QString &code : m_form.languageOptions())
        m_language->addItem(languageDisplayName(code), code);
    // A code outside the options (such as "auto") shows no selection and
    // stays in effect until the user picks.
    m_language->setCurrentIndex(m_language->findData(m_form.effectiveLanguage()));
    connect(m_language, &QComboBox::activated, this,
            [this](int index) { m_form.selectedLanguage = m_language->itemData(index).toString(); });
    column->addWidget(section(localized("Idioma"), m_language, fields));

    if (m_form.mode().isEdit()) {
        column->addSpacing(4 - column->spacing());
        column->addWidget(divider(fields));
        QPushButton *remove = sheetButton(localized("Excluir Termo"), "deleteButton", fields);
        remove->setFlat(true);
        QPalette palette = remove->palette();
        palette.setColor(QPalette::ButtonText, QColor(0xff, 0x3b, 0x30));
        remove->setPalette(palette);
        connect(remove, &QPushButton::clicked, this, &TermFormSheet::deleteEntry);
        column->addWidget(remove);
    }
    return fields;
}

void TermFormSheet::cancel()
{
    if (m_dismiss)
        m_dismiss();
}

void TermFormSheet::save()
{
    if (!m_context || !m_inputs.allEntries)
        return;
    const TermForm::SaveResult result =
        m_form.save(*m_context, m_inputs.allEntries->results(), m_hooks, m_now ? m_now() : QDateTime::currentDateTime());
    switch (result) {
    case TermForm::SaveResult::nothing:
        return;
    case TermForm::SaveResult::limitReached:
        settings::openAlert(this, localized("Limite atingido"), limitAlertMessage(),
                            {AlertButton{localized("OK"), QMessageBox::RejectRole, {}, QStringLiteral("okButton")}});
        return;
    case TermForm::SaveResult::saved:
    case TermForm::SaveResult::gone:
        cancel();
        return;
    }
}

void TermFormSheet::deleteEntry()
{
    if (!m_form.mode().isEdit())
        return;
    const DictionaryEntry entry = m_form.mode().entry;
    auto onDelete = m_inputs.onDelete;
    cancel();
    if (onDelete)
        onDelete(entry);
}

} // namespace talvoro::dictionary
