#pragma once

// The legacy category format: items in "list.txt" (one app bundle folder
// name per line) and settings in "Prefs.bin", a packed 110-byte record:
//
//   offset width  key
//     0     1     showCategoryName        boolean byte, non-zero is true
//     1     1     showIconLabels
//     2     1     saveImageOnExit
//     3     1     useBackgroundImage
//     4     1     leftRightScroll
//     5     4     leftRightRowsPerColumn  signed 32-bit, little-endian
//     9     4     iconFontColor           signed 32-bit, little-endian
//    13    96     iconThemeName           text, zero-terminated within the field
//   109     1     keepResident            boolean byte
//
// Both readers also take the bytes directly, so they can be fuzzed and tested
// without a device.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Plist.h"

namespace nestora::tool {

inline constexpr std::size_t kLegacyPrefsRecordSize = 110;
// list.txt is read in pieces of at most this many bytes, each one entry.
inline constexpr std::size_t kLegacyLineChunk = 126;
// A list of a few thousand apps is a few hundred kilobytes.
inline constexpr std::size_t kMaxLegacyListBytes = 4 * 1024 * 1024;

// The settings dictionary of a Prefs.bin record: fields from `record` in
// table order until one cannot be read in full, defaults for the rest, and
// "categoryName".
plist::Dictionary legacyPrefsFromBytes(std::string_view record, std::string_view categoryName);

// readLegacyPrefs: the record in bundlePath/Prefs.bin; none when it cannot be
// opened. categoryName is the bundle folder's name without its extension.
std::optional<plist::Dictionary> readLegacyPrefs(std::string_view bundlePath);

// The entries of a list.txt: pieces of at most 126 bytes ending at a line
// feed, each cut at a zero byte and stripped of trailing carriage returns,
// spaces and line feeds (never down to nothing).
std::vector<std::string> legacyListEntries(std::string_view text);

// resolveLegacyItemPath: the app bundle path an entry names, or none.
// "Camera.app" and "Photos.app" are the two roles of the photo app.
class LegacyItemResolver {
public:
    std::optional<std::string> resolveLegacyItemPath(std::string_view name);

private:
    // The containers of "/var/mobile/Applications", listed once per resolver.
    std::optional<std::vector<std::string>> containers_;
};

// The display identifier for a resolved path (the photo roles by name, else
// CFBundleIdentifier of its Info.plist), or none.
std::optional<std::string> legacyDisplayIdentifier(std::string_view appPath);

// The item list of list.txt bytes, resolving each entry with `resolve` and
// turning each path into a display identifier with `identify`.
using LegacyResolve = std::function<std::optional<std::string>(std::string_view entry)>;
using LegacyIdentify = std::function<std::optional<std::string>(std::string_view appPath)>;
plist::Array legacyItemsFromText(std::string_view text, const LegacyResolve& resolve, const LegacyIdentify& identify);

// readLegacyItemList: the items of bundlePath/list.txt; none when it cannot
// be opened. The apps are resolved and their Info.plists read with the
// rights of the user who ran the tool, never through a final link.
std::optional<plist::Array> readLegacyItemList(std::string_view bundlePath);

}  // namespace nestora::tool
