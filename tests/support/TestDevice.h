#pragma once

// A fresh, empty device root in a temporary folder for one test. While the
// object lives, NESTORA_DEVICE_ROOT names it (so the platform layer and any
// program the test starts work inside it); the folder is removed afterwards.

#include <string>
#include <string_view>

namespace nestora::test {

class TestDevice {
public:
    TestDevice();
    ~TestDevice();
    TestDevice(const TestDevice&) = delete;
    TestDevice& operator=(const TestDevice&) = delete;

    const std::string& root() const { return root_; }
    // Host path of a device path.
    std::string host(std::string_view devicePath) const;

    // Helpers that write straight to the host (not through the platform layer).
    void makeFolder(std::string_view devicePath) const;  // with parents
    void writeFile(std::string_view devicePath, std::string_view bytes) const;  // with parents
    std::string readFile(std::string_view devicePath) const;  // "" when missing
    bool exists(std::string_view devicePath) const;  // lstat

    // An app bundle "<folder>/<name>" with Info.plist (CFBundleIdentifier,
    // CFBundleExecutable, CFBundleDisplayName when given) and the executable.
    void makeApp(std::string_view bundlePath, std::string_view identifier,
                 std::string_view displayName = {}, std::string_view executable = "App") const;

    // Lays out the sample device (scripts/make-device, without installing
    // the build): sample apps, launcher stand-ins, device profile.
    void makeSampleDevice() const;

private:
    std::string root_;
    std::string previousRoot_;
    bool hadPreviousRoot_ = false;
};

}  // namespace nestora::test
