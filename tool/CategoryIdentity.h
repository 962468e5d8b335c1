#pragma once

// Whether the bundle at a category's path is one. The tool runs as root on
// operands anyone may give, and /Applications holds every app on the device:
// the changing operations touch a bundle only when it is a category.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/PrivilegedFiles.h"

namespace nestora::tool {

enum class BundleIdentity {
    Absent,    // nothing at the bundle path
    Category,  // a folder whose Info.plist names this very category or, when
               // the Info.plist is missing, unreadable or names no identifier,
               // that holds the launcher, or no more than some launcher files
               // (a create or repair cut short)
    Foreign,   // anything else: an app, a file, a link, another category's folder
};

BundleIdentity identifyCategoryBundle(std::string_view identifier);

// The same with what was seen on the way, for callers that go on to work in
// the bundle: a category's folder, opened, and whether its Info.plist names
// it. `applications` is /Applications, opened (none when it cannot be).
struct BundleInspection {
    BundleIdentity identity = BundleIdentity::Absent;
    std::optional<privileged::FileDescriptor> folder;  // set for a Category
    bool named = false;                                // its Info.plist names the category
};
BundleInspection inspectCategoryBundle(const std::optional<privileged::FileDescriptor>& applications,
                                       std::string_view identifier);

// The CFBundleIdentifier of an open bundle's Info.plist; none when the file
// is missing or unreadable or names none.
std::optional<std::string> identifierNamedBy(const privileged::FileDescriptor& bundle);

// For the operations that change a category: true when they may go on (the
// bundle is a category or there is none). Otherwise prints
// "ERROR: Not a category: <directory name>" and returns false.
bool mayChangeCategory(std::FILE* out, std::string_view identifier);
bool mayChangeCategory(std::FILE* out, std::string_view identifier, BundleIdentity identity);

}  // namespace nestora::tool
