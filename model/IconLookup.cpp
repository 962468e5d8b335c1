#include "model/IconLookup.h"

#include "model/NamedIconFiles.h"
#include "platform/Files.h"
#include "platform/Plist.h"

namespace nestora::model {

namespace {

// The photo bundle shows its two roles from role folders that hold no icon
// of their own; their icons live in the bundle itself.
constexpr std::string_view kCameraBundlePath = "/Applications/Camera.app";
constexpr std::string_view kCameraIconPath = "/Applications/MobileSlideShow.app/icon-Camera.png";
constexpr std::string_view kPhotosBundlePath = "/Applications/Photos.app";
constexpr std::string_view kPhotosIconPath = "/Applications/MobileSlideShow.app/icon-Photos.png";

std::string inBundle(std::string_view bundlePath, std::string_view name) {
    std::string path(bundlePath);
    path += '/';
    path += name;
    return path;
}

constexpr std::string_view kIconFileKey = "CFBundleIconFile";

// The CFBundleIconFile text; a value of another type counts as absent.
std::optional<std::string> iconFileFrom(const plist::Dictionary& info) {
    const auto found = info.find(kIconFileKey);
    if (found == info.end() || !found->second.isString()) {
        return std::nullopt;
    }
    return *found->second.string();
}

// An icon is a file; a folder or a dangling link by that name is not one.
std::optional<std::string> ifIconFile(std::string path) {
    if (files::isRegularFile(path)) {
        return path;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> iconPathForBundlePath(std::string_view bundlePath) {
    if (bundlePath == kCameraBundlePath) {
        return std::string(kCameraIconPath);
    }
    if (bundlePath == kPhotosBundlePath) {
        return std::string(kPhotosIconPath);
    }
    // Lower case first: where a bundle has both, "icon.png" is the one the
    // home screen shows.
    if (auto path = ifIconFile(inBundle(bundlePath, "icon.png"))) {
        return path;
    }
    if (auto path = ifIconFile(inBundle(bundlePath, "Icon.png"))) {
        return path;
    }
    // One read of the Info.plist serves the old key and the newer ones.
    const auto info = plist::readDictionaryKeys(
        inBundle(bundlePath, "Info.plist"),
        {kIconFileKey, kIconsKey, kIconsIphoneKey, kIconFilesKey, kIconFilesIphoneKey});
    if (!info) {
        return std::nullopt;
    }
    if (const auto iconFile = iconFileFrom(*info)) {
        // Only an exact ".png" is taken as given; "Icon" and "Icon.PNG" both
        // get ".png" appended.
        const std::string name = iconFile->ends_with(".png") ? *iconFile : *iconFile + ".png";
        if (auto path = ifIconFile(inBundle(bundlePath, name))) {
            return path;
        }
    }
    // Nothing yet: the keys of later systems may still name the icon.
    return bestIconFile(bundlePath, iconNamesFromInfo(*info));
}

std::optional<std::string> iconFileFromInfoPlist(std::string_view infoPlistPath) {
    // A list shows many rows; only the one key is converted.
    const auto info = plist::readDictionaryKeys(infoPlistPath, {kIconFileKey});
    return info ? iconFileFrom(*info) : std::nullopt;
}

std::optional<std::string> bundlePathForDisplayIdentifier(const platform::AppServices& services,
                                                          std::string_view displayIdentifier) {
    const auto executable = services.executablePathForDisplayIdentifier(displayIdentifier);
    if (!executable) {
        return std::nullopt;
    }
    const auto slash = executable->rfind('/');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    // "/Foo" has the folder "/"; keep it rather than an empty path.
    return executable->substr(0, slash == 0 ? 1 : slash);
}

std::optional<std::string> iconPathForDisplayIdentifier(const platform::AppServices& services,
                                                        std::string_view displayIdentifier) {
    const auto bundlePath = bundlePathForDisplayIdentifier(services, displayIdentifier);
    if (!bundlePath) {
        return std::nullopt;
    }
    return iconPathForBundlePath(*bundlePath);
}

}  // namespace nestora::model
