#pragma once

#include <QWidget>

class QVBoxLayout;

namespace talvoro::settings {

// The settings card: a column without spacing at the full width, on a
// continuous rounded rectangle (radius 24) of settingsSurfaceColor with a
// 1 px inner border of the primary colour at 4 %. No padding of its own.
// Rows added with addRow() get a separator between consecutive rows — none
// above the first, below the last, or after a section header.
class SettingsCardView : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsCardView(QWidget *parent = nullptr);

    QWidget *addHeader(const QString &title);
    void addRow(QWidget *row);
    // Content without separators (the generic card wrapper).
    void addWidget(QWidget *widget, int stretch = 0);

    QVBoxLayout *contentLayout() const { return m_layout; }
    int separatorCount() const { return m_separators; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVBoxLayout *m_layout;
    bool m_lastWasRow = false;
    int m_separators = 0;
};

} // namespace talvoro::settings
