#pragma once

// What the services index keeps of one bundle's Info.plist, and how it is
// read from the file's bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/FileStatus.h"

namespace nestora::platform {

// One bundle as the index knows it.
struct Bundle {
    std::string folder;      // device path of the bundle folder
    std::string parent;      // the folder holding it
    std::string executable;  // CFBundleExecutable (may be empty)
    std::optional<std::string> name;
    std::unordered_map<std::string, std::string> roleNames;  // UIRoleDisplayNames
};

// What one Info.plist gave when it was last read, kept with the file's
// identity: a rebuild reads again only the Info.plists that changed.
struct ReadInfoPlist {
    FileIdentity identity;
    std::optional<std::string> identifier;  // none: unreadable or without one
    Bundle bundle;
    // The batch of lookups in which the file was last looked at
    // (AppServices::Batch); 0 for none.
    std::uint64_t checkedInBatch = 0;
};

// The index's entries read from one bundle's Info.plist (its bytes; none
// when it could not be read). `parent` is the folder holding the bundle
// `folder` (device paths).
ReadInfoPlist readInfoPlist(const FileIdentity& identity, const std::string& parent, std::string folder,
                            const std::optional<std::string>& bytes);

}  // namespace nestora::platform
