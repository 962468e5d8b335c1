#include "platform/DeviceRoot.h"

#include <cstdlib>

namespace nestora::platform {

std::string deviceRoot() {
    // secure_getenv returns null in a set-user-id run: the caller must not be
    // able to point a root process at a tree of its own making.
    const char* value = secure_getenv("NESTORA_DEVICE_ROOT");
    if (value == nullptr || *value == '\0') {
        return "/";
    }
    return value;
}

bool isDeviceRoot(std::string_view root) {
    const char* value = secure_getenv("NESTORA_DEVICE_ROOT");
    return root == (value == nullptr || *value == '\0' ? std::string_view("/") : std::string_view(value));
}

std::string hostPath(std::string_view devicePath) {
    if (devicePath.empty() || devicePath.front() != '/') {
        return std::string(devicePath);
    }
    std::string root = deviceRoot();
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    if (root == "/") {
        return std::string(devicePath);
    }
    root.append(devicePath);
    return root;
}

}  // namespace nestora::platform
