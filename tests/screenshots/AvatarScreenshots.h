#pragma once

#include "ScreenshotCatalog.h"

class QWidget;

// The avatar at its three sizes in one of its states: "image", "loading",
// "initials" or "symbol". Still views: nothing is downloaded.
QWidget *buildAvatarScreenshot(ScreenshotContext &context, const QString &state);
