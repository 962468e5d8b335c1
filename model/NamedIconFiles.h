#pragma once

// The icon files an app's Info.plist names through the keys every app has
// used since the phone's third system: "CFBundleIcons" (its primary icon's
// "CFBundleIconFiles") and the older top-level "CFBundleIconFiles". A name
// may leave out the ".png" and stands for its scaled ("@2x") and device
// ("~iphone") variants too; of all the files found, the one whose size best
// fits the home screen's icon is shown.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Plist.h"

namespace nestora::model {

// The home screen's icon: 57 points, drawn from 114 pixels at best.
inline constexpr int kIconPixelSide = 114;

// The Info.plist keys these steps read; a key's "~iphone" variant, where
// there is one, stands in for the key, as the phone reads it.
inline constexpr std::string_view kIconsKey = "CFBundleIcons";
inline constexpr std::string_view kIconsIphoneKey = "CFBundleIcons~iphone";
inline constexpr std::string_view kIconFilesKey = "CFBundleIconFiles";
inline constexpr std::string_view kIconFilesIphoneKey = "CFBundleIconFiles~iphone";
inline constexpr std::string_view kPrimaryIconKey = "CFBundlePrimaryIcon";

// The names in the order they are looked at: first the primary icon's, then
// the top-level list's. Names that are not text are left out.
struct NamedIcons {
    std::vector<std::string> primaryIconFiles;
    std::vector<std::string> iconFiles;
};
NamedIcons iconNamesFromInfo(const plist::Dictionary& info);

// The file names one icon name may stand for, in the phone's order: the
// name as given, with ".png" appended (unless it ends so), then its
// "@2x~iphone", "@2x", "~iphone" and plain forms. None for a name that
// could leave the bundle (it holds "/" or is "." or "..") or is empty.
std::vector<std::string> fileNamesForIconName(std::string_view name);

// Of the PNG files that `names` stand for in the bundle, the one whose size
// best fits kIconPixelSide: the smallest at least that large, else the
// largest. Files that are no PNG (by their header) are passed over. The
// primary icon's names are looked at first; the top-level list only when
// they give no file.
std::optional<std::string> bestIconFile(std::string_view bundlePath, const NamedIcons& names);

}  // namespace nestora::model
