#pragma once

#include <QWidget>

class QVBoxLayout;

// The floating panel the recording overlay is drawn in: frameless, above
// other windows, never taking the keyboard focus from the application the
// text will be pasted into.
class RecordingOverlayPanel final : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize kDefaultSize{280, 64};

    explicit RecordingOverlayPanel(QWidget *parent = nullptr);

    // The overlay's content; the panel owns it.
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVBoxLayout *m_layout;
    QWidget *m_content = nullptr;
};
