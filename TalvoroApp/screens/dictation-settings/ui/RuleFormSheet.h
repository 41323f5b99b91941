#pragma once

#include "screens/dictation-settings/ReplacementRules.h"

#include <QWidget>

#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The add/edit form of one replacement rule, shown by a FormSheetPresenter.
// It saves and pushes on its own; the delete button closes the sheet and
// hands the rule to the owner, who deletes it.
class RuleFormSheet : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 640;
    // The sheet's size for a mode: taller when editing (the delete button).
    static QSize sizeFor(const talvoro::rules::SheetMode &mode);

    RuleFormSheet(talvoro::rules::SheetMode mode, ModelContext &context, SyncProviding *sync,
                  std::function<QDateTime()> now, std::function<void(const ReplacementRule &)> onDelete,
                  std::function<void()> dismiss, QWidget *parent = nullptr);

    const talvoro::rules::SheetMode &mode() const { return m_form.mode(); }
    void cancel();
    void save();
    void deleteRule();

private:
    talvoro::rules::RuleForm m_form;
    std::function<void(const ReplacementRule &)> m_onDelete;
    std::function<void()> m_dismiss;
    QLineEdit *m_original = nullptr;
    QPlainTextEdit *m_replacement = nullptr;
    QPushButton *m_save = nullptr;
};
