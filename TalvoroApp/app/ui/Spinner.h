#pragma once

#include <QWidget>

class QTimer;

namespace talvoro::ui {

// Stand-in until the drawing kit lands: an indeterminate spinner.
class Spinner : public QWidget
{
    Q_OBJECT
public:
    explicit Spinner(int diameter = 16, QWidget *parent = nullptr);
    bool isRunning() const { return m_running; }
    void setRunning(bool running);
    QSize sizeHint() const override { return {m_diameter, m_diameter}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_diameter;
    int m_step = 0;
    bool m_running = true;
    QTimer *m_timer;
};

} // namespace talvoro::ui
