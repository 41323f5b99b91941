#pragma once

#include "navigation/AppEnvironment.h"
#include "screens/settings/ui/SettingsSheetView.h"

#include <QAbstractButton>
#include <QList>

#include <functional>

class QLabel;
class QTimer;
class QVariantAnimation;

namespace talvoro::ui {
class Spinner;
class StyledLabel;
}

namespace talvoro::settings {

class SettingsRowView;

// One accent colour: a 36 px circle, with a check mark and scaled to 1.15
// while it is the stored choice.
class AccentSwatch : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int kDiameter = 36;
    static constexpr qreal kSelectedScale = 1.15;

    AccentSwatch(const QString &rawValue, QWidget *parent = nullptr);

    QString rawValue() const { return m_rawValue; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    qreal scale() const { return m_scale; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_rawValue;
    bool m_selected = false;
    qreal m_scale = 1.0;
    QVariantAnimation *m_animation;
};

// The sheet "Sistema": accent colour, sync now, the permissions summary,
// the legal links and redoing the onboarding, in one card.
class SystemSettingsSheetView : public SettingsSheetView
{
    Q_OBJECT
public:
    // Needs the environment's settings; the sync row is left out without
    // sync and models, the permissions badge without permissions.
    SystemSettingsSheetView(const AppEnvironment &environment, std::function<void()> openPermissions,
                            std::function<void()> resetOnboarding, QWidget *parent = nullptr);

    QList<AccentSwatch *> swatches() const { return m_swatches; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildSwatchRow();
    SettingsRowView *buildSyncRow();
    SettingsRowView *buildPermissionsRow();
    SettingsRowView *buildLinkRow(const QString &icon, const QString &title, const QUrl &url);
    void refreshSwatches();
    void refreshSyncStatus();
    void refreshBadge();

    AppEnvironment m_environment;
    QList<AccentSwatch *> m_swatches;
    SettingsRowView *m_syncRow = nullptr;
    ui::Spinner *m_syncSpinner = nullptr;
    ui::StyledLabel *m_syncText = nullptr;
    QTimer *m_syncTextTimer = nullptr;
    QLabel *m_badge = nullptr;
};

} // namespace talvoro::settings
