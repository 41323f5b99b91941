#pragma once

#include "ScreenshotCatalog.h"

#include <QList>

// The wizard's pages and states and the sign-in view's states.
QList<ScreenshotEntry> onboardingScreenshotEntries();
