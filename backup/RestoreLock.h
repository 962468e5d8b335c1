#pragma once

// A restore keeps every other run that changes categories out for its whole
// run: it holds the device lock (platform/DeviceLock.h) before it looks at
// the device, and the tool runs it starts inherit the descriptor and share
// the lock instead of waiting for it.

#include <chrono>
#include <cstdio>
#include <optional>

#include "platform/DeviceLock.h"

namespace nestora::backup {

// The lock, waited for up to `wait`. None, after one message line, when
// another run held it all that time or it cannot be opened. A device where
// no run of the tool has laid the lock file yet gets it laid by one run of
// the tool that does nothing else.
std::optional<platform::DeviceLock> lockCategoriesForRestore(std::FILE* messages,
                                                             std::chrono::milliseconds wait = platform::kDeviceLockWait);

}  // namespace nestora::backup
