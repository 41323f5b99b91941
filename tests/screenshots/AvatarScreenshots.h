#pragma once

#include "ScreenshotCatalog.h"

#include <QImage>

class QWidget;

// A stand-in portrait: a wide picture, so the centre crop shows.
QImage samplePortrait();

// The avatar at its three sizes in one of its states: "image", "loading",
// "initials" or "symbol". Still views: nothing is downloaded.
QWidget *buildAvatarScreenshot(ScreenshotContext &context, const QString &state);
