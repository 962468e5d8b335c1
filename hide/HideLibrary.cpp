// The stand-in for the outside icon-hiding library. It keeps the set of
// hidden apps (by Info.plist path) in a property list of its own in the
// device root (hide/HiddenIcons.h); the stand-in home screen reads it from
// there.

#include <algorithm>
#include <string>

#include "hide/HiddenIcons.h"

namespace {

bool changeHidden(const char* infoPlistPath, bool hide) {
    if (infoPlistPath == nullptr) return false;
    std::vector<std::string> hidden = nestora::hide::hiddenInfoPlistPaths();
    const auto it = std::find(hidden.begin(), hidden.end(), infoPlistPath);
    const bool present = it != hidden.end();
    if (hide == present) return false;
    if (hide) {
        hidden.emplace_back(infoPlistPath);
    } else {
        hidden.erase(it);
    }
    return nestora::hide::writeHiddenInfoPlistPaths(hidden);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) bool HideIcon(const char* infoPlistPath) {
    return changeHidden(infoPlistPath, true);
}

extern "C" __attribute__((visibility("default"))) bool UnHideIcon(const char* infoPlistPath) {
    return changeHidden(infoPlistPath, false);
}
