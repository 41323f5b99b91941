#include "screens/settings/ui/SystemSettingsSheetView.h"

#include "account/AppConfig.h"
#include "account/SyncManager.h"
#include "dictation/PermissionManager.h"
#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "look/ui/FocusRing.h"
#include "look/ui/Spinner.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/Symbols.h"
#include "platform/SettingsKeys.h"
#include "platform/UrlOpener.h"
#include "platform/UserDefaultsProviding.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/SystemSettings.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/SettingsRowView.h"
#include "texts/DateTexts.h"
#include "texts/Localization.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVariantAnimation>

namespace talvoro::settings {

namespace {

constexpr int kSwatchRowVerticalPadding = 16;
constexpr int kBadgeHorizontalPadding = 8;
constexpr int kBadgeVerticalPadding = 3;
constexpr qreal kBadgeFillOpacity = 0.12;

const SpringAnimation kSwatchSpring{0.2, 0.85, 0};

// The permissions badge: its text in its colour on that colour at 12 %, in
// a capsule.
class BadgeLabel : public QLabel
{
public:
    using QLabel::QLabel;
    void setColor(const QColor &color)
    {
        m_color = color;
        applyTextColor();
        update();
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        {
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            QColor fill = m_color;
            fill.setAlphaF(kBadgeFillOpacity);
            painter.setPen(Qt::NoPen);
            painter.setBrush(fill);
            const qreal radius = height() / 2.0;
            painter.drawRoundedRect(QRectF(rect()), radius, radius);
        }
        QLabel::paintEvent(event);
    }

    void changeEvent(QEvent *event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange && !m_applying)
            applyTextColor();
    }

private:
    // The text keeps the hue, deep enough to read on the wash of it over the
    // window, the hardest of the window and the card.
    void applyTextColor()
    {
        const QColor under = windowBackgroundColor(ui::isDark(this));
        const QColor text = withContrast(m_color, tintOver(m_color, kBadgeFillOpacity, under), 4.5);
        if (palette().color(QPalette::WindowText) == text)
            return;
        m_applying = true;
        QPalette palette = this->palette();
        palette.setColor(QPalette::WindowText, text);
        setPalette(palette);
        m_applying = false;
    }

    QColor m_color;
    bool m_applying = false;
};

} // namespace

AccentSwatch::AccentSwatch(const QString &rawValue, QWidget *parent)
    : QAbstractButton(parent)
    , m_rawValue(rawValue)
    , m_animation(new QVariantAnimation(this))
{
    setObjectName(QStringLiteral("swatch.") + rawValue);
    setAccessibleName(rawValue);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    const auto timing = approximateSpring(kSwatchSpring);
    m_animation->setEasingCurve(timing.curve);
    m_animation->setDuration(timing.durationMs);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_scale = value.toReal();
        update();
    });
}

void AccentSwatch::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    const qreal target = selected ? kSelectedScale : 1.0;
    m_animation->stop();
    if (!isVisible()) {
        m_scale = target;
        update();
        return;
    }
    m_animation->setStartValue(m_scale);
    m_animation->setEndValue(target);
    m_animation->start();
}

QSize AccentSwatch::sizeHint() const
{
    // Room for the selected scale and the focus ring around it, so neither
    // is ever clipped.
    const int side = int(std::ceil(kDiameter * kSelectedScale)) + 2 + 8;
    return {side, side};
}

void AccentSwatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const auto option = AccentColorOption::resolved(m_rawValue);
    const qreal diameter = kDiameter * m_scale;
    const QRectF circle(QRectF(rect()).center() - QPointF(diameter / 2, diameter / 2), QSizeF(diameter, diameter));
    painter.setPen(Qt::NoPen);
    // In the colour the accent fills buttons and selections with, the tick
    // in what reads on it (dark on yellow).
    const QColor fill = accentSurfaceColor(option.color(ui::isDark(this)));
    painter.setBrush(fill);
    painter.drawEllipse(circle);
    if (m_selected) {
        const qreal symbolSize = textStylePixelSize(TextStyle::caption) * m_scale;
        ui::paintSymbol(painter, circle, QStringLiteral("checkmark"), foregroundOnSurface(fill), symbolSize);
    }
    if (ui::showsFocusRing(this))
        ui::paintFocusRing(painter, circle.adjusted(-3, -3, 3, 3), circle.width() / 2 + 3, ui::focusRingColor(ui::isDark(this)));
}

SystemSettingsSheetView::SystemSettingsSheetView(const AppEnvironment &environment,
                                                 std::function<void()> openPermissions,
                                                 std::function<void()> resetOnboarding, QWidget *parent)
    : SettingsSheetView(localized("Sistema"), parent)
    , m_environment(environment)
{
    UserDefaultsProviding &settings = *m_environment.settings;
    card()->addHeader(localized("Aparência"));
    card()->addRow(buildSwatchRow());
    if (m_environment.sync && m_environment.models)
        card()->addRow(buildSyncRow());

    auto *permissions = buildPermissionsRow();
    connect(permissions, &SettingsRowBase::clicked, this, [openPermissions] {
        if (openPermissions)
            openPermissions();
    });
    card()->addRow(permissions);

    card()->addRow(buildLinkRow(QStringLiteral("doc.text"), localized("Termos de Uso"), AppConfig::termsOfUseURL()));
    card()->addRow(
        buildLinkRow(QStringLiteral("hand.raised"), localized("Política de Privacidade"), AppConfig::privacyPolicyURL()));

    auto *onboarding = new SettingsRowView(QStringLiteral("arrow.counterclockwise"), localized("Refazer onboarding"),
                                           makeChevron(), settings);
    onboarding->setObjectName(QStringLiteral("redoOnboarding"));
    onboarding->setClickable(true);
    // A destructive button: its title in red, the icon keeps the accent.
    onboarding->titleLabel()->setForegroundStyle(ui::StyledLabel::Style::destructive);
    // At once, without a confirmation: nothing but the wizard's flag changes.
    connect(onboarding, &SettingsRowBase::clicked, this, [resetOnboarding] {
        if (resetOnboarding)
            resetOnboarding();
    });
    card()->addRow(onboarding);

    connect(&settings, &UserDefaultsProviding::changed, this, [this](const QString &key) {
        if (key == SettingsKeys::keyboardAccentColor)
            refreshSwatches();
    });
    refreshSwatches();
}

QWidget *SystemSettingsSheetView::buildSwatchRow()
{
    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("accentColors"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(metrics::rowHorizontalPadding, kSwatchRowVerticalPadding,
                               metrics::rowHorizontalPadding, kSwatchRowVerticalPadding);
    layout->setSpacing(0);
    for (auto option : AccentColorOption::allCases) {
        auto *swatch = new AccentSwatch(AccentColorOption(option).rawValue(), row);
        layout->addWidget(swatch, 1, Qt::AlignCenter);
        m_swatches.append(swatch);
        connect(swatch, &QAbstractButton::clicked, this, [this, swatch] {
            chooseAccentColor(*m_environment.settings, m_environment.syncProvider, swatch->rawValue());
        });
    }
    return row;
}

SettingsRowView *SystemSettingsSheetView::buildSyncRow()
{
    auto *trailing = new QWidget;
    auto *layout = new QHBoxLayout(trailing);
    layout->setContentsMargins(0, 0, 0, 0);
    m_syncSpinner = new ui::Spinner(16, trailing);
    m_syncSpinner->setObjectName(QStringLiteral("syncSpinner"));
    layout->addWidget(m_syncSpinner);
    m_syncText = new ui::StyledLabel({}, ui::StyledLabel::Style::secondary, trailing);
    m_syncText->setObjectName(QStringLiteral("lastSyncText"));
    m_syncText->setFont(settingsHelperFont());
    layout->addWidget(m_syncText);

    m_syncRow = new SettingsRowView(QStringLiteral("arrow.triangle.2.circlepath"), localized("Sincronizar Agora"),
                                    trailing, *m_environment.settings);
    m_syncRow->setObjectName(QStringLiteral("syncNow"));
    m_syncRow->setClickable(true);
    connect(m_syncRow, &SettingsRowBase::clicked, this, [this] {
        if (m_environment.sync->isSyncing())
            return;
        startManualPull(*m_environment.sync, *m_environment.models);
    });

    m_syncTextTimer = new QTimer(this);
    m_syncTextTimer->setSingleShot(true);
    connect(m_syncTextTimer, &QTimer::timeout, this, &SystemSettingsSheetView::refreshSyncStatus);
    connect(m_environment.sync, &SyncManager::isSyncingChanged, this, &SystemSettingsSheetView::refreshSyncStatus);
    connect(m_environment.sync, &SyncManager::lastSyncDateChanged, this,
            &SystemSettingsSheetView::refreshSyncStatus);
    refreshSyncStatus();
    return m_syncRow;
}

SettingsRowView *SystemSettingsSheetView::buildPermissionsRow()
{
    auto *trailing = new QWidget;
    auto *layout = new QHBoxLayout(trailing);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metrics::rowSpacing);
    if (m_environment.permissions) {
        auto *badge = new BadgeLabel(trailing);
        badge->setObjectName(QStringLiteral("permissionsBadge"));
        badge->setFont(settingsHelperFont());
        badge->setContentsMargins(kBadgeHorizontalPadding, kBadgeVerticalPadding, kBadgeHorizontalPadding,
                                  kBadgeVerticalPadding);
        m_badge = badge;
        layout->addWidget(badge, 0, Qt::AlignVCenter);
        // The flags as last published: the sheet starts no poll.
        connect(m_environment.permissions, &PermissionManager::permissionsChanged, this,
                &SystemSettingsSheetView::refreshBadge);
        refreshBadge();
    }
    layout->addWidget(makeChevron(trailing), 0, Qt::AlignVCenter);

    auto *row = new SettingsRowView(QStringLiteral("shield.checkered"), localized("Permissões"), trailing,
                                    *m_environment.settings);
    row->setObjectName(QStringLiteral("permissions"));
    row->setClickable(true);
    return row;
}

SettingsRowView *SystemSettingsSheetView::buildLinkRow(const QString &icon, const QString &title, const QUrl &url)
{
    auto *row = new SettingsRowView(icon, title, nullptr, *m_environment.settings);
    row->setObjectName(icon == QLatin1String("doc.text") ? QStringLiteral("terms") : QStringLiteral("privacy"));
    row->setClickable(true);
    row->setCursor(Qt::PointingHandCursor);
    // A link: the sheet stays open.
    connect(row, &SettingsRowBase::clicked, this, [this, url] {
        if (m_environment.urlOpener)
            m_environment.urlOpener->open(url);
    });
    return row;
}

void SystemSettingsSheetView::refreshSwatches()
{
    // Only the exact raw value selects: a value naming no option selects none.
    const QString stored = m_environment.settings->value(SettingsKeys::keyboardAccentColor);
    for (auto *swatch : std::as_const(m_swatches))
        swatch->setSelected(swatch->rawValue() == stored);
}

void SystemSettingsSheetView::refreshSyncStatus()
{
    SyncManager &sync = *m_environment.sync;
    const QDateTime now = m_environment.now();
    const auto status = syncStatus(sync.isSyncing(), sync.lastSyncDate(), now, isPortuguese());
    m_syncRow->setEnabled(status.kind != SyncStatus::Kind::syncing);
    m_syncSpinner->setVisible(status.kind == SyncStatus::Kind::syncing);
    m_syncText->setVisible(status.kind == SyncStatus::Kind::lastSync);
    m_syncText->setText(status.text);
    m_syncTextTimer->stop();
    if (status.kind == SyncStatus::Kind::lastSync)
        m_syncTextTimer->start(relativeDateRefreshMs(*sync.lastSyncDate(), now));
}

void SystemSettingsSheetView::refreshBadge()
{
    const int missing = m_environment.permissions->missingPermissionCount();
    auto *badge = static_cast<BadgeLabel *>(m_badge);
    badge->setText(permissionBadgeText(missing, isPortuguese()));
    badge->setColor(AccentColorOption(missing > 0 ? AccentColorOption::orange : AccentColorOption::green)
                        .color(ui::isDark(this)));
}

void SystemSettingsSheetView::changeEvent(QEvent *event)
{
    SettingsSheetView::changeEvent(event);
    // Green and orange have a light and a dark variant.
    if (event->type() == QEvent::PaletteChange && m_badge)
        refreshBadge();
}

} // namespace talvoro::settings
