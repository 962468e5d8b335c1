#pragma once

// A device root with the app bundle installed (its images and, when built,
// the real tool), for every test of widgets, screens and the app.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TestDevice.h"

namespace nestora::test {

// Host path of the built tool, or "" when this build has none.
std::string builtToolPath();

struct AppDeviceOptions {
    bool sampleApps = false;        // lay out the sample device (apps, launcher files)
    bool installTool = true;        // copy the built tool into the bundle
    mode_t toolMode = 04755;
    std::string model = "iPhone";   // "" writes no device profile (the simulator)
    std::optional<std::uint64_t> freeMemoryBytes = 64ull * 1024 * 1024;
};

// A device root with the app bundle in it.
class AppDevice : public TestDevice {
public:
    explicit AppDevice(const AppDeviceOptions& options = {});

    // A category as the tool would leave it: bundle with Info.plist (display
    // name), "icon.png", and the preferences file (items, when given, as an
    // XML array of strings).
    void makeCategory(const std::string& directory, const std::string& displayName,
                      std::optional<std::vector<std::string>> items = std::vector<std::string>{}) const;
    void writeProfile(const std::string& model, std::optional<std::uint64_t> freeMemoryBytes) const;
    // The persisted restart flag, read straight from the file with plistlib.
    std::optional<bool> persistedNeedRespring() const;
    void setPersistedNeedRespring(bool value) const;
    // The display name stored in a category's Info.plist (plistlib's reading).
    std::optional<std::string> storedDisplayName(const std::string& directory) const;
};

}  // namespace nestora::test
