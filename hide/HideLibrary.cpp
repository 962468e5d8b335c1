// The stand-in for the outside icon-hiding library. It keeps the set of
// hidden apps (by Info.plist path) in a property list of its own in the
// device root (hide/HiddenIcons.h), which the stand-in home screen reads.
// While the library stays loaded (a run that opens it once for many calls)
// it keeps the list open and known, so each call costs the same however
// many apps are hidden (hide/HiddenIconsFile.h).

#include <cstddef>
#include <string_view>
#include <vector>

#include "hide/HiddenIconsFile.h"

namespace {

nestora::hide::HiddenIconsFile& hiddenIcons() {
    static nestora::hide::HiddenIconsFile file;
    return file;
}

bool changeHidden(const char* infoPlistPath, bool hide) {
    if (infoPlistPath == nullptr) return false;
    return hiddenIcons().setHidden(std::string_view(infoPlistPath), hide);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) bool HideIcon(const char* infoPlistPath) {
    return changeHidden(infoPlistPath, true);
}

extern "C" __attribute__((visibility("default"))) bool UnHideIcon(const char* infoPlistPath) {
    return changeHidden(infoPlistPath, false);
}

// Not one of the two entry points every hide library has: a caller that
// changes many apps at once (a restore, a delete) looks for it and, where it
// is, hides or shows them all in one call, on disk when it returns, at the
// cost of one flush. The number of apps whose state changed.
extern "C" __attribute__((visibility("default"))) std::size_t SetIconsHidden(const char* const* infoPlistPaths,
                                                                             std::size_t count, bool hide) {
    if (infoPlistPaths == nullptr) return 0;
    std::vector<std::string_view> paths;
    paths.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (infoPlistPaths[i] != nullptr) paths.emplace_back(infoPlistPaths[i]);
    }
    return hiddenIcons().setHiddenAll(paths, hide);
}
