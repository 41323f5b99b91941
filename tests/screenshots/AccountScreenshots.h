#pragma once

#include "ScreenshotCatalog.h"

#include <QList>

// The account management page, its two alerts and its confirmation sheet.
QList<ScreenshotEntry> accountManagementScreenshotEntries();
