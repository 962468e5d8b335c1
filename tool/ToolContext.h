#pragma once

// What every tool operation needs from the run: where its messages go and
// the home-screen services it asks for app names and paths, and how long it
// waits for the device lock. One per run;
// operations never reach for globals.

#include <chrono>
#include <cstdio>

#include "platform/AppServices.h"
#include "platform/DeviceLock.h"

namespace nestora::tool {

struct ToolContext {
    std::FILE* out = stdout;
    const platform::AppServices* appServices = nullptr;
    // How long a changing run waits for another to finish.
    std::chrono::milliseconds lockWait = platform::kDeviceLockWait;
};

}  // namespace nestora::tool
