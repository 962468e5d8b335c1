#pragma once

// A run of the tool that changes categories holds the device lock
// (platform/DeviceLock.h) from its first changing operation to its end, so
// that no other run, of the tool or a restore, works beside it. Listing and
// showing never take it. A restore's own tool runs find the lock handed
// down to them and go on without waiting.

#include <chrono>
#include <cstdio>
#include <optional>

#include "platform/DeviceLock.h"

namespace nestora::tool {

class CategoryLock {
public:
    CategoryLock(std::FILE* out, std::chrono::milliseconds wait) : out_(out), wait_(wait) {}

    // True when this run holds the lock, taken now or before. False when it
    // cannot be had; the first time, after one error line.
    bool hold();

private:
    std::FILE* out_;
    std::chrono::milliseconds wait_;
    std::optional<platform::DeviceLock> lock_;
    bool failed_ = false;
};

// Lays the lock file when it is missing, without taking the lock: every run
// of the tool does, so that a restore finds a file to lock.
void layCategoryLockFile();

}  // namespace nestora::tool
