#include "screens/settings/ui/SegmentedPicker.h"

#include <QAbstractButton>
#include <QButtonGroup>
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

} // namespace talvoro::settings
