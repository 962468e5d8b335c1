#pragma once

// The large device for benchmarks: made once per benchmark program in a
// temporary folder by bench/make-large-device (or taken from
// NESTORA_LARGE_DEVICE when set), and made the device root.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace nestora::bench {

inline std::string largeDeviceRoot() {
    static const std::string root = [] {
        if (const char* given = std::getenv("NESTORA_LARGE_DEVICE")) return std::string(given);
        std::string dir = (std::filesystem::temp_directory_path() / "nestora-large-XXXXXX").string();
        if (::mkdtemp(dir.data()) == nullptr) std::abort();
        const std::string command = std::string(NESTORA_SOURCE_DIR) + "/bench/make-large-device '" + dir + "' >/dev/null";
        if (std::system(command.c_str()) != 0) std::abort();
        std::atexit([] {
            if (std::getenv("NESTORA_LARGE_DEVICE") == nullptr) {
                std::error_code ignored;
                std::filesystem::remove_all(std::getenv("NESTORA_DEVICE_ROOT"), ignored);
            }
        });
        return dir;
    }();
    ::setenv("NESTORA_DEVICE_ROOT", root.c_str(), 1);
    return root;
}

// A device with 20 apps and one category, the baseline of launch figures:
// made once per benchmark program and removed at exit. Not made the device
// root; callers pass it on.
inline const std::string& oneCategoryDeviceRoot() {
    static const std::string root = [] {
        std::string dir = (std::filesystem::temp_directory_path() / "nestora-small-XXXXXX").string();
        if (::mkdtemp(dir.data()) == nullptr) std::abort();
        const std::string command = std::string(NESTORA_SOURCE_DIR) + "/bench/make-large-device '" + dir +
                                    "' --apps 20 --categories 1 >/dev/null";
        if (std::system(command.c_str()) != 0) std::abort();
        return dir;
    }();
    // Registered after `root` is built, so it runs before `root` goes.
    static const bool cleanup = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(oneCategoryDeviceRoot(), ignored);
    }) == 0;
    (void)cleanup;
    return root;
}

}  // namespace nestora::bench
