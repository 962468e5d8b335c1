#pragma once

// What every tool operation needs from the run: where its messages go and
// the home-screen services it asks for app names and paths. One per run;
// operations never reach for globals.

#include <cstdio>

#include "platform/AppServices.h"

namespace nestora::tool {

struct ToolContext {
    std::FILE* out = stdout;
    const platform::AppServices* appServices = nullptr;
};

}  // namespace nestora::tool
