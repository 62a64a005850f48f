#pragma once

#include "tests/support/AppEnvironment.h"

#include <QGuiApplication>

// Drawing text needs the font engine, which lives in a GUI application object.
// Registered once per test program, whichever files include this.
inline const bool kGuiEnvironmentRegistered
    = (::testing::AddGlobalTestEnvironment(new AppEnvironment<QGuiApplication>), true);
