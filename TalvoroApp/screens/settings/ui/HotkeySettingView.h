#pragma once

#include "screens/settings/HotkeyRecorder.h"

#include <QWidget>

class QAbstractButton;
class QLabel;
class QPushButton;
class UserDefaultsProviding;

namespace talvoro::ui {
class StyledLabel;
class SymbolLabel;
class Spinner;
}

namespace talvoro::settings {

// Shows one of the three hotkeys and records a new combination for it.
// While capturing, an application-wide event filter takes the next key
// press before any widget sees it (presses of the three current hotkeys
// never arrive: the global X11 grab has taken them and run their action).
// `compactRow` is a settings row with a clickable key pill; `expanded` shows
// the combination with a record and a restore button.
class HotkeySettingView : public QWidget
{
    Q_OBJECT
public:
    HotkeySettingView(HotkeySettingViewStyle style, HotkeyManager::HotkeyKind kind, HotkeyManager &hotkeys,
                      UserDefaultsProviding &settings, QWidget *parent = nullptr);
    ~HotkeySettingView() override;

    HotkeyRecorder *recorder() const { return m_recorder; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *buildCompactRow(UserDefaultsProviding &settings);
    QWidget *buildExpanded();
    void setFilterInstalled(bool installed);
    void refresh();

    HotkeyRecorder *m_recorder;
    bool m_filterInstalled = false;

    // compactRow
    QAbstractButton *m_pill = nullptr;
    // expanded
    QLabel *m_currentCombination = nullptr;
    QWidget *m_buttons = nullptr;
    QWidget *m_capturingLine = nullptr;

    QLabel *m_message = nullptr;
};

} // namespace talvoro::settings
