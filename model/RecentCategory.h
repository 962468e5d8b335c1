#pragma once

// The Recent category: a category made by the optional SpringBoard
// extension, not by us. While the extension is installed its list belongs to
// the extension: the user cannot edit it, and its apps still count as
// available for other categories. Without the extension it is an ordinary
// category. Both tests are exact and case-sensitive.

#include <string_view>

namespace nestora::model {

inline constexpr std::string_view kRecentIdentifierSuffix = ".Recent";
inline constexpr std::string_view kRecentPreferencesFileName = "com.quarvek.nestora.Recent.plist";

// The contents screen's test: the category bundle identifier ends in ".Recent".
bool isRecentCategoryIdentifier(std::string_view categoryBundleIdentifier);

// The inventory's test: the preferences file name is exactly
// "com.quarvek.nestora.Recent.plist".
bool isRecentPreferencesFileName(std::string_view preferencesFileName);

// Whether the contents screen may add, delete and reorder: always, except for
// the Recent category while the extension is installed.
bool isCategoryModifiable(std::string_view categoryBundleIdentifier, bool hasNestoraSB);

}  // namespace nestora::model
