#pragma once

// The name a category shows in the editing screens' titles: the
// CFBundleDisplayName of its bundle's Info.plist, which the tool writes.

#include <optional>
#include <string>
#include <string_view>

namespace nestora::screens {

// For "com.quarvek.nestora.Category004", the display name stored in
// "/Applications/Category004.app/Info.plist"; none when the file cannot be
// read, is no dictionary, or has no text under that key.
std::optional<std::string> categoryDisplayName(std::string_view categoryBundleIdentifier);

}  // namespace nestora::screens
