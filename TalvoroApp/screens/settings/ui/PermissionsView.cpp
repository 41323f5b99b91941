#include "screens/settings/ui/PermissionsView.h"

#include "dictation/PermissionManager.h"
#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/TintedButtonStyle.h"
#include "navigation/AppEnvironment.h"
#include "platform/SettingsKeys.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/SystemSettings.h"
#include "screens/settings/ui/ScrollingColumn.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/TintedFrame.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "texts/Localization.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>

namespace talvoro::settings {

namespace {

constexpr int kColumnMaximumWidth = 500;
constexpr int kColumnSpacing = 24;
constexpr int kRowSpacing = 12;
constexpr int kBannerSpacing = 10;
constexpr qreal kBannerRadius = 16;
constexpr qreal kBannerFillOpacity = 0.1;

QColor statusColor(AccentColorOption::Value option, const QWidget *widget)
{
    return AccentColorOption(option).color(ui::isDark(widget));
}

} // namespace

PermissionsView::PermissionsView(const AppEnvironment &environment, QWidget *parent)
    : QWidget(parent)
    , m_manager(*environment.permissions)
    , m_hotkeys(environment.hotkeys)
    , m_settings(*environment.settings)
{
    const ScrollingColumn page = makeScrollingColumn(QStringLiteral("permissions"), kColumnMaximumWidth, this);
    QWidget *column = page.column;
    QVBoxLayout *columnLayout = page.layout;
    columnLayout->setContentsMargins(24, 0, 24, 16);
    columnLayout->setSpacing(kColumnSpacing);
    columnLayout->addWidget(buildBanner());

    auto *card = new SettingsCardView(column);
    card->addHeader(localized("Permissões"));
    for (const auto &permission : permissionRows()) {
        auto *row = new QWidget;
        row->setObjectName(QStringLiteral("permission.%1").arg(int(permission.kind)));
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(metrics::rowMargins);
        layout->setSpacing(kRowSpacing);
        auto *icon = new ui::SymbolLabel(QString::fromLatin1(permission.symbol), int(textStylePixelSize(TextStyle::body)),
                                         row);
        icon->setFixedWidth(metrics::rowIconColumnWidth);
        layout->addWidget(icon);
        auto *texts = new QVBoxLayout;
        texts->setSpacing(metrics::detailRowTextSpacing);
        auto *title = new ui::StyledLabel(localized(permission.title), ui::StyledLabel::Style::primary, row);
        title->setFont(appRowFont());
        auto *description =
            new ui::StyledLabel(localized(permission.description), ui::StyledLabel::Style::secondary, row);
        description->setFont(appHelperFont());
        description->setWordWrap(true);
        texts->addWidget(title);
        texts->addWidget(description);
        layout->addLayout(texts, 1);
        auto *check = new ui::SymbolLabel(QStringLiteral("checkmark.circle.fill"),
                                          int(textStylePixelSize(TextStyle::body)), row);
        check->setObjectName(QStringLiteral("granted"));
        layout->addWidget(check);
        auto *enable = new QPushButton(localized("Ativar"), row);
        enable->setObjectName(QStringLiteral("enable"));
        enable->setAccessibleName(localized("Ativar") + QLatin1Char(' ') + title->text());
        layout->addWidget(enable);
        auto *unavailable =
            new ui::StyledLabel(globalHotkeysUnavailableText(), ui::StyledLabel::Style::secondary, row);
        unavailable->setObjectName(QStringLiteral("unavailable"));
        unavailable->setFont(appHelperFont());
        unavailable->setWordWrap(true);
        texts->addWidget(unavailable);
        const auto kind = permission.kind;
        connect(enable, &QPushButton::clicked, this, [this, kind] { requestPermission(m_manager, kind); });
        ui::applyTintedButtonStyle(enable, ui::TintedButtonStyle::bordered, &m_settings);
        card->addRow(row);
        m_rows.append({icon, check, enable, unavailable});
    }
    columnLayout->addWidget(card);
    columnLayout->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new ToolbarStrip(localized("Permissões"), ToolbarStrip::Placement::pushed, this));
    layout->addWidget(page.scroll, 1);

    connect(&m_manager, &PermissionManager::permissionsChanged, this, &PermissionsView::refresh);
    connect(&m_settings, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (key == SettingsKeys::keyboardAccentColor)
            refresh();
    });
    refresh();
}

QWidget *PermissionsView::buildBanner()
{
    auto *banner = new TintedFrame(kBannerFillOpacity, 0.2, kBannerRadius);
    banner->setObjectName(QStringLiteral("permissionsBanner"));
    m_banner = banner;
    auto *layout = new QHBoxLayout(banner);
    layout->setContentsMargins(20, 14, 20, 14);
    layout->setSpacing(kBannerSpacing);
    m_bannerIcon = new ui::SymbolLabel({}, int(textStylePixelSize(TextStyle::title3)), banner);
    layout->addWidget(m_bannerIcon);
    // A plain label: the banner colour is its own, not a foreground style.
    m_bannerText = new QLabel(banner);
    m_bannerText->setObjectName(QStringLiteral("bannerText"));
    QFont font = appRowFont();
    font.setWeight(QFont::Medium);
    m_bannerText->setFont(font);
    layout->addWidget(m_bannerText);
    layout->addStretch(1);
    return banner;
}

void PermissionsView::refresh()
{
    const int missing = m_manager.missingPermissionCount();
    const QColor green = statusColor(AccentColorOption::green, this);
    const QColor banner = missing == 0 ? green : statusColor(AccentColorOption::orange, this);
    static_cast<TintedFrame *>(m_banner)->setColor(banner);
    m_bannerIcon->setSymbol(missing == 0 ? QStringLiteral("checkmark.seal.fill")
                                         : QStringLiteral("exclamationmark.triangle.fill"));
    // Text and symbol keep the banner's hue, deep enough to read on its wash
    // over the window.
    const QColor readable =
        withContrast(banner, tintOver(banner, kBannerFillOpacity, windowBackgroundColor(ui::isDark(this))), 4.5);
    m_bannerIcon->setColor(readable);
    m_bannerText->setText(permissionBannerText(missing, isPortuguese()));
    QPalette palette = m_bannerText->palette();
    palette.setColor(QPalette::WindowText, readable);
    m_bannerText->setPalette(palette);

    const QColor accent = currentAccentColor(m_settings, ui::isDark(this));
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const auto kind = permissionRows()[i].kind;
        const bool granted = isGranted(m_manager, kind);
        const bool unavailable = isUnavailableOnThisDesktop(m_manager, m_hotkeys, kind);
        m_rows[i].icon->setColor(granted ? green : accent);
        m_rows[i].check->setColor(green);
        m_rows[i].check->setVisible(granted);
        m_rows[i].enable->setVisible(!granted && !unavailable);
        m_rows[i].unavailable->setVisible(unavailable);
    }
}

void PermissionsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_manager.startPolling();
}

void PermissionsView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    // Stops the shared poll whoever started it.
    if (auto task = m_manager.pollingTask()) {
        task->cancel();
        m_manager.setPollingTask(nullptr);
    }
}

void PermissionsView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        refresh();
}

} // namespace talvoro::settings
