#pragma once

#include "screens/dictation-settings/ReplacementRules.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The add/edit form of one replacement rule, shown window-modal over its
// owner. It saves and pushes on its own; the delete button only hands the
// rule back to the owner after closing.
class RuleFormSheet : public QDialog
{
    Q_OBJECT
public:
    RuleFormSheet(talvoro::rules::SheetMode mode, ModelContext &context, talvoro::rules::RuleSyncHooks hooks,
                  std::function<QDateTime()> now, std::function<void(const ReplacementRule &)> onDelete,
                  QWidget *parent = nullptr);

    const talvoro::rules::SheetMode &mode() const { return m_form.mode(); }
    void cancel();
    void save();
    void deleteRule();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    talvoro::rules::RuleForm m_form;
    std::function<void(const ReplacementRule &)> m_onDelete;
    QLineEdit *m_original = nullptr;
    QPlainTextEdit *m_replacement = nullptr;
    QPushButton *m_save = nullptr;
};
