#pragma once

// What the stand-in hide library holds hidden: the Info.plist paths it was
// handed by HideIcon and not yet by UnHideIcon. The library keeps the set in
// a property list of its own; everything else reads it through here (the
// stand-in home screen leaves these apps out), so only this file knows how
// it is stored.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nestora::hide {

inline constexpr std::string_view kHiddenIconsPath = "/var/lib/nestora/hidden-icons.plist";
// A list past this is not read: tens of thousands of paths and their padding.
inline constexpr std::size_t kMaxHiddenIconsBytes = 16 * 1024 * 1024;

// The Info.plist paths held hidden, oldest first. Empty when nothing was
// ever hidden or the file cannot be read or is not a list; entries that are
// not text, and a line a power cut tore mid-change, are passed over. Paths
// of apps that are gone are reported too: the library never learns that an
// app was removed.
std::vector<std::string> hiddenInfoPlistPaths();

// Writes the set (XML, atomically, in the layout the library changes in
// place), creating the folder of the file when needed. True when it reached
// the file. Only the library writes (and tests that lay out a device).
bool writeHiddenInfoPlistPaths(const std::vector<std::string>& paths);

}  // namespace nestora::hide
