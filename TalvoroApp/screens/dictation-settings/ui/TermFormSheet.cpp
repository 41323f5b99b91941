#include "screens/dictation-settings/ui/TermFormSheet.h"

#include "look/Theme.h"
#include "look/ui/MenuPicker.h"
#include "platform/ModelContext.h"
#include "screens/dictation-settings/LanguageTables.h"
#include "screens/dictation-settings/ui/FormSheetParts.h"
#include "screens/settings/ui/Alerts.h"
#include "texts/Localization.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace talvoro::dictionary {

void openLimitAlert(QWidget *parent)
{
    settings::openAlert(parent, localized("Limite atingido"), limitAlertMessage(),
                        {settings::AlertButton{localized("OK"), QMessageBox::RejectRole, {}, QStringLiteral("okButton")}});
}

TermFormSheet::TermFormSheet(Inputs inputs, ModelContext &context, SyncProviding *sync,
                             std::function<QDateTime()> now, std::function<void()> dismiss, QWidget *parent)
    : QWidget(parent)
    , m_form(inputs.mode, inputs.defaultLanguage, inputs.availableLanguages)
    , m_inputs(std::move(inputs))
    , m_context(&context)
    , m_sync(sync)
    , m_now(std::move(now))
    , m_dismiss(std::move(dismiss))
{
    setObjectName(QStringLiteral("termFormSheet"));
    setFixedWidth(kWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(forms::sheetDivider(this));
    layout->addWidget(buildFields());
}

QWidget *TermFormSheet::buildHeader()
{
    const forms::SheetHeader header = forms::sheetHeader(m_form.title(), m_form.saveButtonText(), this);
    m_save = header.save;
    m_save->setEnabled(m_form.canSave());
    connect(header.cancel, &QPushButton::clicked, this, &TermFormSheet::cancel);
    connect(m_save, &QPushButton::clicked, this, &TermFormSheet::save);
    return header.widget;
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
    column->addWidget(forms::sheetSection(localized("Termo"), m_term, fields));

    m_language = new MenuPicker(fields);
    m_language->setObjectName(QStringLiteral("languagePicker"));
    for (const QString &code : m_form.languageOptions())
        m_language->addItem(languageDisplayName(code), code);
    // A code outside the options (such as "auto") shows no selection and
    // stays in effect until the user picks.
    m_language->setCurrentIndex(m_language->findData(m_form.effectiveLanguage()));
    connect(m_language, &QComboBox::activated, this,
            [this](int index) { m_form.selectedLanguage = m_language->itemData(index).toString(); });
    column->addWidget(forms::sheetSection(localized("Idioma"), m_language, fields));

    if (m_form.mode().isEdit()) {
        column->addSpacing(4 - column->spacing());
        column->addWidget(forms::sheetDivider(fields));
        QPushButton *remove = forms::sheetDeleteButton(localized("Excluir Termo"), fields);
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
        m_form.save(*m_context, m_inputs.allEntries->results(), m_sync, m_now ? m_now() : QDateTime::currentDateTime());
    switch (result) {
    case TermForm::SaveResult::nothing:
        return;
    case TermForm::SaveResult::limitReached:
        openLimitAlert(this);
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
