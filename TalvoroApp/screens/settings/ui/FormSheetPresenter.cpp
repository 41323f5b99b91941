#include "screens/settings/ui/FormSheetPresenter.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "look/ui/FocusTrap.h"

#include <QEvent>
#include <functional>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWidget>

namespace talvoro::settings {

namespace {
constexpr qreal kBackdropOpacity = 0.25;
constexpr qreal kPanelRadius = 10;
constexpr int kWindowMargin = 24;
} // namespace

// The backdrop over the whole window with the panel holding the form.
class FormSheetOverlay : public QWidget
{
public:
    FormSheetOverlay(QWidget *window, QWidget *form, QSize size, std::function<void()> onCancel)
        : QWidget(window)
        , m_form(form)
        , m_size(size)
        , m_onCancel(std::move(onCancel))
    {
        setObjectName(QStringLiteral("formSheetBackdrop"));
        m_panel = new QWidget(this);
        m_panel->setObjectName(QStringLiteral("formSheetPanel"));
        m_panel->setAutoFillBackground(false);
        auto *layout = new QVBoxLayout(m_panel);
        layout->setContentsMargins(0, 0, 0, 0);
        form->setParent(m_panel);
        layout->addWidget(form);
        // The backdrop holds the focus so that no field of the form has it
        // on opening and the window beneath receives no key.
        setFocusPolicy(Qt::StrongFocus);
        new ui::FocusTrap(this);
        window->installEventFilter(this);
        setGeometry(window->rect());
        placePanel();
        show();
        raise();
        setFocus(Qt::OtherFocusReason);
    }

    QWidget *form() const { return m_form; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parentWidget() && event->type() == QEvent::Resize) {
            setGeometry(parentWidget()->rect());
            placePanel();
        }
        return QWidget::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(rect(), QColor(0, 0, 0, qRound(255 * kBackdropOpacity)));
        const bool dark = ui::isDark(this);
        const QPainterPath panel = continuousRoundedRect(QRectF(m_panel->geometry()), kPanelRadius);
        painter.fillPath(panel, windowBackgroundColor(dark));
        painter.setPen(QPen(separatorColor(dark), 1));
        painter.drawPath(panel);
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (!m_panel->geometry().contains(event->position().toPoint()))
            m_onCancel();
        event->accept();
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape)
            m_onCancel();
        event->accept();
    }

    bool focusNextPrevChild(bool next) override
    {
        // While hiding, the focus leaves the sheet the usual way.
        return isVisible() ? ui::FocusTrap::cycle(this, next) : QWidget::focusNextPrevChild(next);
    }

    bool event(QEvent *event) override
    {
        // Esc closes the sheet wherever the focus is inside it.
        if (event->type() == QEvent::ShortcutOverride
            && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        return QWidget::event(event);
    }

private:
    void placePanel()
    {
        const int width = qMin(m_size.width(), qMax(0, this->width() - 2 * kWindowMargin));
        const int contentHeight = m_panel->layout()->heightForWidth(width) > 0
            ? m_panel->layout()->heightForWidth(width)
            : m_panel->sizeHint().height();
        const int wanted = m_size.height() > 0 ? m_size.height() : contentHeight;
        const int height = qMin(wanted, qMax(0, this->height() - 2 * kWindowMargin));
        m_panel->setGeometry((this->width() - width) / 2, (this->height() - height) / 2, width, height);
        update();
    }

    QWidget *m_form;
    QWidget *m_panel;
    QSize m_size;
    std::function<void()> m_onCancel;
};

FormSheetPresenter::FormSheetPresenter(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
{
}

FormSheetPresenter::~FormSheetPresenter()
{
    // The overlay lives on the window, which outlives the owning screen.
    delete m_overlay.data();
}

void FormSheetPresenter::present(QWidget *form, const QString &identity, QSize size)
{
    if (!m_owner) {
        delete form;
        return;
    }
    if (m_overlay && m_identity == identity) {
        delete form;
        return;
    }
    if (m_overlay) {
        m_overlay->hide();
        m_overlay->deleteLater();
        m_overlay.clear();
    }
    m_identity = identity;
    m_overlay = new FormSheetOverlay(m_owner->window(), form, size, [this] { dismiss(); });
}

void FormSheetPresenter::dismiss()
{
    if (!m_overlay)
        return;
    m_overlay->hide();
    m_overlay->deleteLater();
    m_overlay.clear();
    m_identity.clear();
    if (m_owner)
        m_owner->setFocus(Qt::OtherFocusReason);
    Q_EMIT dismissed();
}

bool FormSheetPresenter::isPresented() const
{
    return !m_overlay.isNull();
}

QWidget *FormSheetPresenter::form() const
{
    return m_overlay ? m_overlay->form() : nullptr;
}

} // namespace talvoro::settings
