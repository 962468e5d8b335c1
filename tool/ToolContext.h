#pragma once

// What every tool operation needs from the run: where its messages go, the
// home-screen services it asks for app names and paths, the hide library,
// opened once for the run, how long it waits for the device lock, and the
// preferences folder as the run opened and checked it. One per run;
// operations never reach for globals, and never look the preferences folder
// up by its path.

#include <chrono>
#include <cstdio>
#include <optional>

#include "common/IconHiding.h"
#include "platform/AppServices.h"
#include "platform/DeviceLock.h"
#include "platform/PrivilegedFiles.h"

namespace nestora::tool {

struct ToolContext {
    std::FILE* out = stdout;
    const platform::AppServices* appServices = nullptr;
    IconHidingSession* iconHiding = nullptr;  // none: nothing is hidden or shown
    // How long a changing run waits for another to finish.
    std::chrono::milliseconds lockWait = platform::kDeviceLockWait;
    // Held open for the whole run; none when it could not be opened.
    const std::optional<privileged::FileDescriptor>* preferencesFolder = nullptr;

    const std::optional<privileged::FileDescriptor>& preferences() const {
        static const std::optional<privileged::FileDescriptor> kNone;
        return preferencesFolder != nullptr ? *preferencesFolder : kNone;
    }
};

}  // namespace nestora::tool
