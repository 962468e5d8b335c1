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

}  // namespace nestora::platform
