#pragma once

#include "platform/SettingsStore.h"

#include <QColor>
#include <QList>

class QWidget;

namespace talvoro::settings {

class SettingsCardView;
class UsageBlockView;

// `cardContainer`: the content, leading-aligned at the full width, on the
// card look, without padding of its own (the rows carry theirs).
SettingsCardView *cardContainer(QWidget *content, QWidget *parent = nullptr);
SettingsCardView *cardContainer(const QList<QWidget *> &content, QWidget *parent = nullptr);

// `cardContainer.statsDetailView`: the statistics summary as one row,
// vertically centred, without spacing, 16 px above and below, on the card.
SettingsCardView *statsDetailViewCard(const QList<QWidget *> &summary, QWidget *parent = nullptr);

// `cardContainer.statsQuickCard`: the quick statistics card's content on the card.
SettingsCardView *statsQuickCard(QWidget *content, QWidget *parent = nullptr);

// `cardContainer.weeklyUsageCard`: one usage block on the card. An invalid
// bar colour means the accent colour.
UsageBlockView *weeklyUsageCard(const QString &symbol, const QString &title, double fraction, const QColor &barColor,
                                const QString &countText, UserDefaultsProviding &defaults,
                                QWidget *parent = nullptr);

} // namespace talvoro::settings
