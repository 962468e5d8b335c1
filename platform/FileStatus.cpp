#include "platform/FileStatus.h"

#include <sys/stat.h>

#include <string>

#include "platform/DeviceRoot.h"

namespace nestora::platform {

std::optional<mode_t> fileMode(std::string_view devicePath) {
    const std::string path = hostPath(devicePath);
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return status.st_mode;
}

std::optional<FileIdentity> regularFileIdentity(std::string_view devicePath) {
    const std::string path = hostPath(devicePath);
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return identityOf(status);
}

FileIdentity identityOf(const struct stat& status) {
    return FileIdentity{status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
}

}  // namespace nestora::platform
