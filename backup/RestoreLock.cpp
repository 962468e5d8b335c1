#include "backup/RestoreLock.h"

#include "backup/CategoryTool.h"

namespace nestora::backup {

std::optional<platform::DeviceLock> lockCategoriesForRestore(std::FILE* messages, std::chrono::milliseconds wait) {
    platform::DeviceLock::Result taken = platform::DeviceLock::takeForChildren(wait);
    if (taken.error == platform::DeviceLockError::Unavailable) {
        // Only root may make the file; the tool does on any run.
        layDeviceLockWithTool();
        taken = platform::DeviceLock::takeForChildren(wait);
    }
    if (taken.lock) return std::move(taken.lock);
    if (taken.error == platform::DeviceLockError::Busy) {
        std::fputs("nestora-backup: another run is still changing categories; nothing was restored\n", messages);
    } else {
        std::fprintf(messages, "nestora-backup: cannot open %.*s; nothing was restored\n",
                     static_cast<int>(platform::kDeviceLockPath.size()), platform::kDeviceLockPath.data());
    }
    return std::nullopt;
}

}  // namespace nestora::backup
