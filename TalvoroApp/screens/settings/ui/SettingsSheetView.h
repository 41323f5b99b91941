#pragma once

#include <QWidget>

class QScrollArea;

namespace talvoro::settings {

class SettingsCardView;

// What both settings sheets draw inside the frame the window gives them: a
// scrolling column (24 px padding and spacing, at most 560 px wide, on the
// leading side) with the title in 28 px bold serif and one settings card.
class SettingsSheetView : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsSheetView(const QString &title, QWidget *parent = nullptr);

    SettingsCardView *card() const { return m_card; }
    QScrollArea *scrollArea() const { return m_scrollArea; }

    // A row the sheet pads (20 across, 14 down), after a separator when it
    // is not the first.
    void addPaddedRow(QWidget *content);

    static constexpr int kMaximumColumnWidth = 560;

private:
    QScrollArea *m_scrollArea;
    SettingsCardView *m_card;
};

} // namespace talvoro::settings
