// A hide library for tests: appends "<entry> <Info.plist path>" for every
// call to /var/log/hide-calls.log in the device root, and reports a change.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool record(const char* entry, const char* infoPlistPath) {
    const char* root = std::getenv("NESTORA_DEVICE_ROOT");
    const std::string log = std::string(root != nullptr ? root : "") + "/var/log/hide-calls.log";
    if (std::FILE* file = std::fopen(log.c_str(), "a")) {
        std::fprintf(file, "%s %s\n", entry, infoPlistPath != nullptr ? infoPlistPath : "(null)");
        std::fclose(file);
    }
    return true;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) bool HideIcon(const char* infoPlistPath) {
    return record("HideIcon", infoPlistPath);
}

extern "C" __attribute__((visibility("default"))) bool UnHideIcon(const char* infoPlistPath) {
    return record("UnHideIcon", infoPlistPath);
}
