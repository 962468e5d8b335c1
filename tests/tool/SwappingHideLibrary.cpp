// A hide library for tests that, at its first call, does what a user could
// do while the tool runs: moves the preferences folder away and puts another
// in its place, one holding a copy of the category's file.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool swapOnce() {
    static bool swapped = false;
    if (!swapped) {
        swapped = true;
        const char* root = std::getenv("NESTORA_DEVICE_ROOT");
        const std::string library = std::string(root != nullptr ? root : "") + "/var/mobile/Library";
        std::rename((library + "/Preferences").c_str(), (library + "/Checked").c_str());
        std::rename((library + "/Swapped").c_str(), (library + "/Preferences").c_str());
    }
    return true;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) bool HideIcon(const char*) { return swapOnce(); }

extern "C" __attribute__((visibility("default"))) bool UnHideIcon(const char*) { return swapOnce(); }
