#pragma once

// What every tool operation needs from the run: where its messages go, the
// home-screen services it asks for app names and paths, and the hide
// library, opened once for the run. One per run; operations never reach for
// globals.

#include <cstdio>

#include "common/IconHiding.h"
#include "platform/AppServices.h"

namespace nestora::tool {

struct ToolContext {
    std::FILE* out = stdout;
    const platform::AppServices* appServices = nullptr;
    IconHidingSession* iconHiding = nullptr;  // none: nothing is hidden or shown
};

}  // namespace nestora::tool
