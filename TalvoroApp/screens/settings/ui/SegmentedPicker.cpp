#include "screens/settings/ui/SegmentedPicker.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QToolButton>

namespace talvoro::settings {

namespace {
const char *const kTagProperty = "segmentTag";
} // namespace

SegmentedPicker::SegmentedPicker(QWidget *parent)
    : QWidget(parent)
    , m_layout(new QHBoxLayout(this))
    , m_group(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("segmentedPicker"));
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::buttonClicked, this, [this](QAbstractButton *button) {
        Q_EMIT tagActivated(button->property(kTagProperty).toString());
    });
    restyle();
}

void SegmentedPicker::setOptions(const Options &options)
{
    const QString current = currentTag();
    for (QAbstractButton *button : m_group->buttons()) {
        m_group->removeButton(button);
        delete button;
    }
    for (const auto &[tag, caption] : options) {
        auto *button = new QToolButton(this);
        button->setObjectName(QStringLiteral("segment.") + tag);
        button->setText(caption);
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setProperty(kTagProperty, tag);
        m_group->addButton(button);
        m_layout->addWidget(button, 1);
    }
    setCurrentTag(current);
}

QStringList SegmentedPicker::tags() const
{
    QStringList result;
    for (QAbstractButton *button : m_group->buttons())
        result.push_back(button->property(kTagProperty).toString());
    return result;
}

void SegmentedPicker::setCurrentTag(const QString &tag)
{
    // An exclusive group cannot uncheck its last button directly.
    m_group->setExclusive(false);
    for (QAbstractButton *button : m_group->buttons())
        button->setChecked(button->property(kTagProperty).toString() == tag);
    m_group->setExclusive(true);
}

QString SegmentedPicker::currentTag() const
{
    QAbstractButton *checked = m_group->checkedButton();
    return checked ? checked->property(kTagProperty).toString() : QString();
}

void SegmentedPicker::setAccent(const QColor &accent)
{
    m_accent = accent;
    restyle();
}

void SegmentedPicker::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        restyle();
}

void SegmentedPicker::restyle()
{
    const bool dark = ui::isDark(this);
    const QColor chosen = accentSurfaceColor(m_accent.isValid() ? m_accent : palette().color(QPalette::Highlight));
    const QString sheet = QStringLiteral(
        "QToolButton { border: 1px solid %1; padding: 4px 10px; background: %2; color: %3; }"
        "QToolButton:checked { border-color: %4; background: %4; color: %5; font-weight: 600; }")
        .arg(primaryColor(dark, 0.2).name(QColor::HexArgb), primaryColor(dark, 0.05).name(QColor::HexArgb),
             primaryColor(dark).name(QColor::HexArgb), chosen.name(QColor::HexArgb),
             foregroundOnSurface(chosen).name(QColor::HexArgb));
    if (styleSheet() != sheet)
        setStyleSheet(sheet);
}

} // namespace talvoro::settings
