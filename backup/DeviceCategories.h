#pragma once

// The categories on this device as a backup sees them: what the tool's scans
// find (preferences files and category bundles), each with its display name
// and its preferences domain. Read with this process's rights.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Plist.h"

namespace nestora::backup {

struct DeviceCategory {
    std::string directoryName;
    bool hasBundle = false;
    // CFBundleDisplayName when the bundle's Info.plist has one; a bundle
    // without shows its directory name, as a repaired bundle does.
    std::optional<std::string> displayName;
    bool hasPreferencesFile = false;
    plist::Dictionary preferences;  // empty when the file is missing or unreadable
    bool preferencesUnreadable = false;
};

// Every category of the device, sorted by directory name. Names the tool
// would refuse as operands are left out (they cannot be restored either).
std::vector<DeviceCategory> scanDeviceCategories();

// One category by directory name, read afresh.
DeviceCategory readDeviceCategory(std::string_view directoryName);

// The bytes of the category's icon.png; none when it has none (or it is no
// regular file, or larger than an icon may be).
std::optional<std::string> readCategoryIcon(std::string_view directoryName);

// The bundle is whole: its Info.plist is a dictionary naming the category's
// own identifier and every launcher file is there. A bundle that is not was
// left by a killed run.
bool categoryBundleIsWhole(std::string_view directoryName);

}  // namespace nestora::backup
