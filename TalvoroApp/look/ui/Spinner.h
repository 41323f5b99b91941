#pragma once

#include <QWidget>

class QTimer;

namespace talvoro::ui {

// A small indeterminate progress indicator: twelve spokes turning, drawn in
// the text colour. It turns only while visible and running.
class Spinner : public QWidget
{
    Q_OBJECT
public:
    explicit Spinner(int diameter = 16, QWidget *parent = nullptr);

    bool isRunning() const { return m_running; }
    void setRunning(bool running);
    int step() const { return m_step; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void updateTimer();

    int m_diameter;
    int m_step = 0;
    bool m_running = true;
    QTimer *m_timer;
};

} // namespace talvoro::ui
