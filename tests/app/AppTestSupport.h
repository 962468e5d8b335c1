#pragma once

// What the app tests share: a device root with the app bundle installed, the
// widget-test helpers, and the application object they launch on it.

#include "app/Nestora.h"
#include "tests/ui/AppDevice.h"
#include "tests/ui/UiTestSupport.h"
