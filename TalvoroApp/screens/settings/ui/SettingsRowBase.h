#pragma once

#include "platform/SettingsStore.h"

#include <QPointer>
#include <QWidget>

class QHBoxLayout;

namespace talvoro::ui {
class SymbolLabel;
class StyledLabel;
}

namespace talvoro::settings {

// What the two settings rows share: the accent-coloured icon in its 24 px
// column, the title, the trailing slot, and the whole row as hit area. A
// row becomes a button when its caller makes it clickable: a click anywhere
// outside an interactive trailing control, or Space/Return when focused,
// emits clicked().
class SettingsRowBase : public QWidget
{
    Q_OBJECT
public:
    ui::SymbolLabel *iconView() const { return m_icon; }
    ui::StyledLabel *titleLabel() const { return m_title; }
    QWidget *trailing() const { return m_trailing; }

    void setIcon(const QString &symbol);
    void setTitle(const QString &title);
    // Replaces the trailing content; nullptr leaves the slot empty (the
    // spacer still keeps the title at the leading edge).
    void setTrailing(QWidget *trailing);

    bool isClickable() const { return m_clickable; }
    void setClickable(bool clickable);

Q_SIGNALS:
    void clicked();

protected:
    SettingsRowBase(const QString &icon, const QString &title, UserDefaultsProviding &defaults, QWidget *parent);
    // The layout that holds the trailing content, where, and how aligned.
    void setTrailingSlot(QHBoxLayout *layout, int index, Qt::Alignment alignment);

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

    ui::SymbolLabel *m_icon;
    ui::StyledLabel *m_title;

private:
    QPointer<QWidget> m_trailing;
    QHBoxLayout *m_trailingLayout = nullptr;
    int m_trailingIndex = -1;
    Qt::Alignment m_trailingAlignment;
    bool m_clickable = false;
    bool m_pressed = false;
};

// The chevron most navigation rows end with.
QWidget *makeChevron(QWidget *parent = nullptr);

} // namespace talvoro::settings
