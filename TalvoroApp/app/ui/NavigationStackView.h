#pragma once

#include "navigation/MainWindowModel.h"
#include "navigation/Navigation.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QToolButton;
class QVariantAnimation;
class ScreenRegistry;
struct ScreenContext;

// The detail column: the selected sidebar item's screen as the root and the
// pushed destinations above it. Kept in step with the model's path: a single
// push slides the new screen in from the trailing edge, a single pop slides
// it out; anything else (sidebar change, several steps) replaces at once.
// A new top screen takes the focus on its first control.
class NavigationStackView : public QWidget
{
    Q_OBJECT
public:
    NavigationStackView(const ScreenRegistry &registry, const ScreenContext &context,
                        QWidget *parent = nullptr);

    QWidget *rootScreen() const { return m_root; }
    QWidget *topScreen() const;
    int depth() const { return int(m_pages.size()); }
    // The back button's action: pops one screen, unless nothing is pushed or
    // a sheet is open. Alt+Left and the mouse's back button anywhere in the
    // window do the same.
    void goBack();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Page
    {
        NavigationDestination destination;
        QWidget *widget = nullptr;
    };

    void rebuildRoot();
    void syncWithPath(MainWindowModel::Animation animation);
    void slide(QWidget *incoming, QWidget *outgoing, bool forward, QWidget *toDelete);
    void finishAnimation();
    void placePages();
    // A new top screen takes the keyboard focus.
    void focusNewTop();
    void paintBackButton();

    const ScreenRegistry &m_registry;
    const ScreenContext &m_context;
    QWidget *m_root = nullptr;
    QList<Page> m_pages;
    QToolButton *m_backButton = nullptr;
    QPointer<QVariantAnimation> m_animation;
    QPointer<QWidget> m_focusedTop;
};
