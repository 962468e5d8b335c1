#pragma once

// Where the icon picker finds candidate icons: the "icons" folder of the
// app's own bundle, then the user's folder in the media area.

#include <string>
#include <string_view>
#include <vector>

namespace nestora::screens {

inline constexpr std::string_view kUserIconsFolder = "/var/mobile/Media/Nestora/Icons";

// The two folders, in the order they are searched.
std::vector<std::string> iconFolders(std::string_view appBundlePath);

// findIcons: for each folder in order, "<folder>/<name>" for every name its
// listing gives, in listing order. No recursion and no filter on name or
// type: what is not an image shows as an empty button. A folder that cannot
// be read gives nothing.
std::vector<std::string> findIconPaths(std::string_view appBundlePath);

}  // namespace nestora::screens
