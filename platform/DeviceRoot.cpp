#include "platform/DeviceRoot.h"

#include <cstdlib>

namespace nestora::platform {

namespace {

// secure_getenv returns null in a set-user-id run: the caller must not be
// able to point a root process at a tree of its own making.
std::string_view rootSetting() {
    const char* value = secure_getenv("NESTORA_DEVICE_ROOT");
    return value == nullptr || *value == '\0' ? std::string_view("/") : std::string_view(value);
}

}  // namespace

std::string deviceRoot() { return std::string(rootSetting()); }

bool isDeviceRoot(std::string_view root) { return root == rootSetting(); }

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
