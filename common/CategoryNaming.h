#pragma once

// How a category's names derive from one another:
//   directory name      Category007
//   bundle path         /Applications/Category007.app
//   bundle identifier   com.quarvek.nestora.Category007
//   preferences file    /var/mobile/Library/Preferences/com.quarvek.nestora.Category007.plist

#include <string>
#include <string_view>

namespace nestora {

inline constexpr std::string_view kCategoryIdentifierPrefix = "com.quarvek.nestora.";
inline constexpr std::string_view kApplicationsFolder = "/Applications";
inline constexpr std::string_view kCategoryPreferencesFolder = "/var/mobile/Library/Preferences";

// Last path component without its extension, appended to the prefix.
std::string identifierForBundlePath(std::string_view bundlePath);

// "/Applications/<text after the identifier's last dot>.app". The leading
// part of the identifier is not checked.
std::string bundlePathForIdentifier(std::string_view identifier);

// "/var/mobile/Library/Preferences/<identifier>.plist"
std::string prefsPathForIdentifier(std::string_view identifier);

// The text after the last "." (the whole text when there is none).
std::string categoryDirectoryName(std::string_view identifier);

// Something (anything) exists at the bundle path / the preferences path.
bool categoryBundleExists(std::string_view identifier);
bool categoryPrefsExist(std::string_view identifier);

// Splits on "." and counts the parts ("a..b" has three, "" has one).
std::size_t dotComponentCount(std::string_view text);

// A plain category name, the one rule for the tool's operands and for the
// names the app lists and puts on the tool's command line: UTF-8 text (it
// goes into an Info.plist), one path component without a dot (it goes into a
// bundle path or a preferences file name without climbing out of the folder
// or changing how the identifier splits into its parts), no control
// character (C0, DEL or C1: names are printed), and no leading "-" (the
// tool's option parser would read an option).
bool isPlainCategoryName(std::string_view name);

// The prefix followed by one plain category name
// ("com.quarvek.nestora.Category007"), and nothing else.
bool isCategoryBundleIdentifier(std::string_view identifier);

}  // namespace nestora
