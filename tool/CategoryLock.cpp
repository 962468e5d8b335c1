#include "tool/CategoryLock.h"

#include "common/CategoryNaming.h"
#include "tool/PathText.h"

namespace nestora::tool {

bool CategoryLock::hold() {
    if (lock_) {
        return true;
    }
    if (failed_) {
        return false;
    }
    // The lock file belongs to the user whose categories these are.
    platform::DeviceLock::Result taken = platform::DeviceLock::takeForTool(kCategoryPreferencesFolder, wait_);
    if (taken.lock) {
        lock_ = std::move(taken.lock);
        return true;
    }
    failed_ = true;
    if (taken.error == platform::DeviceLockError::Busy) {
        std::fputs("ERROR: Another run is still changing categories; try again later\n", out_);
    } else {
        printMessage(out_, "ERROR: Unable to lock categories: %s\n", platform::kDeviceLockPath);
    }
    return false;
}

void layCategoryLockFile() { (void)platform::DeviceLock::layLockFile(kCategoryPreferencesFolder); }

}  // namespace nestora::tool
