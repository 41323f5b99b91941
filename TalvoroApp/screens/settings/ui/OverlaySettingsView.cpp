#include "screens/settings/ui/OverlaySettingsView.h"

#include "dictation/AudioFeedbackManager.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/MenuPicker.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/ToggleSwitch.h"
#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/SettingsSeparator.h"
#include "texts/Localization.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace talvoro::settings {

namespace {

constexpr int kStackSpacing = 12;
constexpr int kVolumeSpacing = 8;
constexpr int kPickerWidth = 120;
constexpr int kPercentWidth = 36;

ui::StyledLabel *rowTitle(const QString &text, QWidget *parent)
{
    auto *label = new ui::StyledLabel(text, ui::StyledLabel::Style::primary, parent);
    label->setFont(settingsRowFont());
    return label;
}

ui::StyledLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new ui::StyledLabel(text, ui::StyledLabel::Style::secondary, parent);
    label->setFont(settingsHelperFont());
    return label;
}

QWidget *section(QLayout *content)
{
    auto *widget = new QWidget;
    content->setContentsMargins(metrics::rowMargins);
    widget->setLayout(content);
    return widget;
}

QComboBox *axisPicker(const QString &objectName, const QString &accessibleName, const QStringList &options)
{
    auto *picker = new MenuPicker;
    picker->setObjectName(objectName);
    picker->setAccessibleName(accessibleName);
    picker->addItems(options);
    picker->setFixedWidth(kPickerWidth);
    return picker;
}

// The helper font with digits of one width, so the percentage does not
// jitter while the slider moves (Inter's digits are proportional and Qt 6.4
// cannot switch on its tabular figures).
QFont tabularDigitsFont()
{
    QFont font = settingsHelperFont();
    font.setFamilies({QStringLiteral("DejaVu Sans")});
    return font;
}

} // namespace

OverlaySettingsView::OverlaySettingsView(OverlaySettingsViewStyle style, UserDefaultsProviding &settings,
                                         SoundPlayerFactory soundPlayers, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_audioFeedback(new AudioFeedbackManager(settings, std::move(soundPlayers), this))
{
    setObjectName(QStringLiteral("overlaySettings"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    QVBoxLayout *sections = outer;
    if (style == OverlaySettingsViewStyle::card) {
        auto *card = new SettingsCardView(this);
        card->setObjectName(QStringLiteral("overlaySettingsCard"));
        outer->addWidget(card);
        sections = card->contentLayout();
    }
    sections->addWidget(buildPositionSection());
    sections->addWidget(new SettingsSeparator);
    sections->addWidget(buildSoundSection());
    m_volumeSeparator = new SettingsSeparator;
    sections->addWidget(m_volumeSeparator);
    sections->addWidget(buildVolumeSection());

    connect(&m_settings, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (key == SettingsKeys::overlayPosition)
            refreshPosition();
        else if (key == SettingsKeys::soundFeedbackEnabled)
            refreshSound();
        else if (key == SettingsKeys::soundFeedbackVolume)
            refreshVolume();
    });
    refreshPosition();
    refreshSound();
    refreshVolume();
}

OverlaySettingsView::~OverlaySettingsView() = default;

QWidget *OverlaySettingsView::buildPositionSection()
{
    auto *stack = new QVBoxLayout;
    stack->setSpacing(kStackSpacing);
    auto *widget = section(stack);
    widget->setObjectName(QStringLiteral("overlayPositionSection"));
    stack->addWidget(rowTitle(localized("Posição do overlay"), widget));

    auto *pickers = new QHBoxLayout;
    pickers->setSpacing(kStackSpacing);
    const QString vertical = localized("Vertical");
    const QString horizontal = localized("Horizontal");
    m_rowPicker = axisPicker(QStringLiteral("overlayRowPicker"), vertical, OverlaySettings::rowOptionTexts());
    m_columnPicker =
        axisPicker(QStringLiteral("overlayColumnPicker"), horizontal, OverlaySettings::columnOptionTexts());
    pickers->addWidget(caption(vertical, widget));
    pickers->addWidget(m_rowPicker);
    pickers->addWidget(caption(horizontal, widget));
    pickers->addWidget(m_columnPicker);
    pickers->addStretch(1);
    stack->addLayout(pickers);

    connect(m_rowPicker, &QComboBox::activated, this, [this](int row) {
        m_settings.set(SettingsKeys::overlayPosition, OverlaySettings::rawValueChoosingRow(storedPosition(), row));
    });
    connect(m_columnPicker, &QComboBox::activated, this, [this](int column) {
        m_settings.set(SettingsKeys::overlayPosition,
                       OverlaySettings::rawValueChoosingColumn(storedPosition(), column));
    });
    return widget;
}

QWidget *OverlaySettingsView::buildSoundSection()
{
    auto *row = new QHBoxLayout;
    auto *widget = section(row);
    widget->setObjectName(QStringLiteral("soundFeedbackSection"));
    auto *title = rowTitle(localized("Sons de feedback"), widget);
    row->addWidget(title);
    row->addStretch(1);
    m_soundSwitch = new ui::ToggleSwitch(m_settings, widget);
    m_soundSwitch->setObjectName(QStringLiteral("soundFeedbackSwitch"));
    m_soundSwitch->setAccessibleName(title->text());
    row->addWidget(m_soundSwitch);
    connect(m_soundSwitch, &ui::ToggleSwitch::toggled, this,
            [this](bool on) { m_settings.set(SettingsKeys::soundFeedbackEnabled, on); });
    return widget;
}

QWidget *OverlaySettingsView::buildVolumeSection()
{
    auto *row = new QHBoxLayout;
    row->setSpacing(kVolumeSpacing);
    m_volumeSection = section(row);
    m_volumeSection->setObjectName(QStringLiteral("volumeSection"));
    auto *title = rowTitle(localized("Volume"), m_volumeSection);
    row->addWidget(title);

    m_volumeSlider = new QSlider(Qt::Horizontal, m_volumeSection);
    m_volumeSlider->setObjectName(QStringLiteral("volumeSlider"));
    m_volumeSlider->setAccessibleName(title->text());
    m_volumeSlider->setRange(OverlaySettings::kMinimumVolumeStep, OverlaySettings::kMaximumVolumeStep);
    m_volumeSlider->setSingleStep(1);
    m_volumeSlider->setPageStep(1);
    // The filled part of the groove is the palette's highlight.
    ui::AccentBinding::bind(
        m_volumeSlider,
        [slider = m_volumeSlider](const QColor &accent) {
            QPalette palette = slider->palette();
            palette.setColor(QPalette::Highlight, accent);
            slider->setPalette(palette);
        },
        m_settings);
    row->addWidget(m_volumeSlider, 1);

    m_volumePercent = caption(QString(), m_volumeSection);
    m_volumePercent->setObjectName(QStringLiteral("volumePercent"));
    m_volumePercent->setFont(tabularDigitsFont());
    m_volumePercent->setFixedWidth(kPercentWidth);
    m_volumePercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_volumePercent);

    auto *test = new QPushButton(localized("Testar"), m_volumeSection);
    test->setObjectName(QStringLiteral("previewSoundButton"));
    test->setFont(settingsRowFont());
    row->addWidget(test);

    connect(m_volumeSlider, &QSlider::valueChanged, this, [this](int step) {
        m_settings.set(SettingsKeys::soundFeedbackVolume, OverlaySettings::volumeForStep(step));
    });
    connect(test, &QPushButton::clicked, m_audioFeedback, &AudioFeedbackManager::previewSound);
    return m_volumeSection;
}

QString OverlaySettingsView::storedPosition() const
{
    return m_settings.value(SettingsKeys::overlayPosition);
}

void OverlaySettingsView::refreshPosition()
{
    const QString stored = storedPosition();
    const QSignalBlocker rowBlocker(m_rowPicker);
    const QSignalBlocker columnBlocker(m_columnPicker);
    m_rowPicker->setCurrentIndex(OverlaySettings::rowIndex(stored));
    m_columnPicker->setCurrentIndex(OverlaySettings::columnIndex(stored));
}

void OverlaySettingsView::refreshSound()
{
    const bool enabled = m_audioFeedback->isEnabled();
    {
        const QSignalBlocker blocker(m_soundSwitch);
        m_soundSwitch->setChecked(enabled);
    }
    m_volumeSeparator->setVisible(enabled);
    m_volumeSection->setVisible(enabled);
}

void OverlaySettingsView::refreshVolume()
{
    const double stored = m_settings.value(SettingsKeys::soundFeedbackVolume);
    {
        const QSignalBlocker blocker(m_volumeSlider);
        m_volumeSlider->setValue(OverlaySettings::stepForVolume(stored));
    }
    m_volumePercent->setText(OverlaySettings::volumePercentText(stored));
}

} // namespace talvoro::settings
