#pragma once

// What every tool operation needs from the run: where its messages go, the
// home-screen services it asks for app names and paths, the hide library,
// opened once for the run, and how long it waits for the device lock. One
// per run; operations never reach for globals.

#include <chrono>
#include <cstdio>

#include "common/IconHiding.h"
#include "platform/AppServices.h"
#include "platform/DeviceLock.h"

namespace nestora::tool {

struct ToolContext {
    std::FILE* out = stdout;
    const platform::AppServices* appServices = nullptr;
    IconHidingSession* iconHiding = nullptr;  // none: nothing is hidden or shown
    // How long a changing run waits for another to finish.
    std::chrono::milliseconds lockWait = platform::kDeviceLockWait;
};

}  // namespace nestora::tool
