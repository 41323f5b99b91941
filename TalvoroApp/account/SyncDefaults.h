#pragma once

#include "account/SyncPayloads.h"

#include <QDateTime>
#include <QStringList>

class UserDefaultsProviding;

// What synchronisation reads from and writes to the settings store: the
// settings block it pushes (the keys flagged Synced::yes in
// platform/SettingsKeys.h), and the settings, statistics and totals a pull
// writes (those and the ones flagged Synced::pulled). Pure functions over the
// store, so they are tested without a server.
namespace SyncDefaults {

// The settings block as stored right now, every member present; `updatedAt`
// is `now`.
SyncSettingsPayload currentSettingsBlock(const UserDefaultsProviding &defaults,
                                         const QDateTime &now = QDateTime::currentDateTimeUtc());

// Writes each member the block carries to its key; values that would not
// read back as a valid setting are skipped and described in the result.
QStringList applySettings(const SyncSettingsPayload &settings, UserDefaultsProviding &defaults);

// The statistics keys and the four usage keys; the best day only when given.
// The chart is stored as the compact JSON array of the received weeks.
void applyStatistics(const SyncPullStatistics &statistics, UserDefaultsProviding &defaults);

// The account's all-time totals, on every pull that carries them.
void applyUserTotals(const SyncUserTotals &totals, UserDefaultsProviding &defaults);

struct ApplyOptions
{
    // False while a settings block of this device, in flight or in the
    // offline queue, is at least as new as the pulled one: the local choice stands.
    bool applySettings = true;
};

// Everything of a pull that lands in the settings store. Returns the problems
// met (for the log); nothing here fails the pull.
QStringList applyPull(const SyncPullResponse &response, UserDefaultsProviding &defaults,
                      ApplyOptions options = {});

} // namespace SyncDefaults
