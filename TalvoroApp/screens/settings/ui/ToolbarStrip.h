#pragma once

#include <QWidget>

class QHBoxLayout;

namespace talvoro::ui {
class StyledLabel;
}

namespace talvoro::settings {

// A screen's toolbar, drawn by the screen itself since the shell has none:
// a transparent strip 48 px high with the navigation title at the leading
// edge and one trailing item. Pushed screens leave the leading 52 px to the
// shell's back button.
class ToolbarStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 48;
    static constexpr int kBackButtonRoom = 52;

    enum class Placement { root, pushed };

    explicit ToolbarStrip(const QString &title, Placement placement, QWidget *parent = nullptr);

    QString title() const;
    ui::StyledLabel *titleLabel() const { return m_title; }
    // Replaces the trailing item (nullptr: none); the strip owns it.
    void setTrailingItem(QWidget *item);
    QWidget *trailingItem() const { return m_trailing; }

private:
    QHBoxLayout *m_layout;
    ui::StyledLabel *m_title;
    QWidget *m_trailing = nullptr;
};

} // namespace talvoro::settings
