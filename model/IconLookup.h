#pragma once

// Finding the PNG file that shows an app in a list. Only the path is found
// here; loading the image, and the "blank.png" fallback, are the cell's.

#include <optional>
#include <string>
#include <string_view>

#include "platform/AppServices.h"

namespace nestora::model {

// iconPathForBundlePath: for the bundle folder P (no trailing slash), the
// first of these that yields a path:
//  1. P "/Applications/Camera.app": "/Applications/MobileSlideShow.app/icon-Camera.png"
//  2. P "/Applications/Photos.app": "/Applications/MobileSlideShow.app/icon-Photos.png"
//     (both returned without checking that they exist)
//  3. "P/icon.png" if it exists; 4. "P/Icon.png" if it exists;
//  5. the Info.plist's CFBundleIconFile F: "P/F" when F ends in ".png"
//     (case counting), else "P/F.png", if that file exists.
// When these find no file, the icon files the Info.plist names through the
// newer keys (NamedIconFiles.h), the one that best fits the home screen's
// icon. None otherwise.
std::optional<std::string> iconPathForBundlePath(std::string_view bundlePath);

// iconFileFromInfoPlist: the CFBundleIconFile text of a property-list
// dictionary file; none when it cannot be read, the key is missing or its
// value is not text.
std::optional<std::string> iconFileFromInfoPlist(std::string_view infoPlistPath);

// The bundle folder of an app: its executable path without the last
// component. None when the services know no executable for it.
std::optional<std::string> bundlePathForDisplayIdentifier(const platform::AppServices& services,
                                                          std::string_view displayIdentifier);

// Both steps: the icon of the app with this display identifier, or none.
std::optional<std::string> iconPathForDisplayIdentifier(const platform::AppServices& services,
                                                        std::string_view displayIdentifier);

}  // namespace nestora::model
