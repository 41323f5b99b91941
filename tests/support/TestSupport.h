#pragma once

#include "platform/SettingsKeys.h"
#include "platform/SettingsStore.h"

#include <QTemporaryDir>

#include <memory>

// A settings store on a file of its own in a temporary folder.
struct TemporarySettings
{
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> store;

    TemporarySettings()
        : store(std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("settings.ini"))))
    {
    }

    // Drops the in-memory state and reads the file again, as a restart would.
    void reopen()
    {
        store->synchronize();
        store = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("settings.ini")));
    }
};
