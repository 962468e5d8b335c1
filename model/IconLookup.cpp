#include "model/IconLookup.h"

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
    const auto iconFile = iconFileFromInfoPlist(inBundle(bundlePath, "Info.plist"));
    if (!iconFile) {
        return std::nullopt;
    }
    // Only an exact ".png" is taken as given; "Icon" and "Icon.PNG" both get
    // ".png" appended.
    if (iconFile->ends_with(".png")) {
        return ifIconFile(inBundle(bundlePath, *iconFile));
    }
    return ifIconFile(inBundle(bundlePath, *iconFile + ".png"));
}

std::optional<std::string> iconFileFromInfoPlist(std::string_view infoPlistPath) {
    // A list shows many rows; only the one key is converted.
    const auto info = plist::readDictionaryKeys(infoPlistPath, {"CFBundleIconFile"});
    if (!info) {
        return std::nullopt;
    }
    const auto found = info->find("CFBundleIconFile");
    if (found == info->end() || !found->second.isString()) {
        return std::nullopt;
    }
    return *found->second.string();
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
