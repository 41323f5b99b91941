#pragma once

#include "navigation/MainWindowModel.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <optional>

class QVariantAnimation;
class ScreenRegistry;
struct ScreenContext;

// Presents the active settings sheet: a backdrop over the whole window that
// closes the sheet when clicked (or on Esc), and the sheet centred over it
// at the size rule's size, following window resizes. The window beneath
// takes no key or click while a sheet is up: Tab cycles inside the sheet.
class SheetHost : public QWidget
{
    Q_OBJECT
public:
    SheetHost(const ScreenRegistry &registry, const ScreenContext &context,
              QWidget *parent = nullptr);

    // The frame around the sheet's content, and the content itself.
    QWidget *sheetFrame() const { return m_frame; }
    QWidget *sheetContent() const { return m_content; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void showModal(MainWindowModel::Animation animation);
    void placeFrame();
    void animate(bool appearing);
    void discardContent();
    // The frame's soft shadow, blurred once per size and appearance.
    const QImage &shadowPicture();

    const ScreenRegistry &m_registry;
    const ScreenContext &m_context;
    QWidget *m_frame = nullptr;
    QPointer<QWidget> m_content;
    std::optional<SettingsModal> m_shown;
    double m_presence = 0.0; // 0 hidden … 1 fully shown
    QPointer<QVariantAnimation> m_animation;
    QImage m_shadow;
    bool m_shadowDark = false;
};
