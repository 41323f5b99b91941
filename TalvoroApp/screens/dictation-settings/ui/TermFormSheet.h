#pragma once

#include "screens/dictation-settings/DictionaryEditor.h"

#include <QWidget>

#include <functional>

class ModelContext;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace talvoro::dictionary {

// The term sheet: the form of a new term or of an existing one, shown by a
// FormSheetPresenter. It writes only on "Adicionar"/"Salvar"; its delete
// button closes the sheet and hands the entry to the owner, who deletes it.
class TermFormSheet : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 420;

    struct Inputs
    {
        DictionarySheetMode mode;
        QString defaultLanguage;
        QStringList availableLanguages;
        // All terms of every language, read afresh on each save.
        const DictionaryEntriesQuery *allEntries = nullptr;
        std::function<void(const DictionaryEntry &)> onDelete;
    };

    TermFormSheet(Inputs inputs, ModelContext &context, SyncProviding *sync,
                  std::function<QDateTime()> now, std::function<void()> dismiss, QWidget *parent = nullptr);

    const TermForm &form() const { return m_form; }

    void cancel();
    void save();
    void deleteEntry();

private:
    QWidget *buildHeader();
    QWidget *buildFields();

    TermForm m_form;
    Inputs m_inputs;
    QPointer<ModelContext> m_context;
    SyncProviding *m_sync;
    std::function<QDateTime()> m_now;
    std::function<void()> m_dismiss;
    QLineEdit *m_term = nullptr;
    QComboBox *m_language = nullptr;
    QPushButton *m_save = nullptr;
};

// "Limite atingido" over `parent`, with "OK" only.
void openLimitAlert(QWidget *parent);

} // namespace talvoro::dictionary
