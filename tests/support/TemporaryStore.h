#pragma once

#include "navigation/AppEnvironment.h"
#include "platform/AppModelContainer.h"
#include "platform/ModelContext.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

// Temporary settings and a store in a temporary folder, with an environment
// over both; a test makes one afresh for each of its functions.
struct TemporaryStore
{
    TemporarySettings settings;
    QTemporaryDir dir;
    AppModelContainer container{dir.filePath(QStringLiteral("store"))};
    AppEnvironment environment;

    TemporaryStore()
    {
        environment.settings = settings.store.get();
        environment.models = &container;
    }
    ModelContext &context() { return container.mainContext(); }
};
