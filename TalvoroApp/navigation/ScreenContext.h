#pragma once

#include "navigation/AppEnvironment.h"
#include "navigation/MainWindowModel.h"

// What a screen receives: the shared services and the window it lives in
// (to push routes, dismiss itself, open a sheet or read the sheet size).
struct ScreenContext
{
    const AppEnvironment &environment;
    MainWindowModel &window;
};
