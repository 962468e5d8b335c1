// The stand-in for the outside icon-hiding library. It keeps the set of
// hidden apps (by Info.plist path) in a property list of its own in the
// device root (hide/HiddenIcons.h), which the stand-in home screen reads.
// While the library stays loaded (a run that opens it once for many calls)
// it keeps the list open and known, so each call costs the same however
// many apps are hidden (hide/HiddenIconsFile.h).

#include <string_view>

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
