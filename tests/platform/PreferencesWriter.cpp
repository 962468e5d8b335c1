// A program that changes one preferences domain the way the app does: sets
// "items" and removes "gone" through Preferences, then flips a user default
// of another domain. The crash-point test kills it at each of its writes.
//
//   preferences_writer DOMAIN DEFAULTS_DOMAIN

#include <cstdio>

#include "platform/Preferences.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: preferences_writer DOMAIN DEFAULTS_DOMAIN\n", stderr);
        return 2;
    }
    using nestora::plist::Array;
    using nestora::plist::Value;
    nestora::platform::Preferences preferences;
    preferences.setAppValue("items", Value(Array{Value("com.example.new"), Value("com.example.game")}), argv[1]);
    preferences.setAppValue("gone", std::nullopt, argv[1]);
    if (!preferences.appSynchronize(argv[1])) return 1;
    nestora::platform::UserDefaults defaults(preferences, argv[2]);
    defaults.setBool(true, "keepResident");
    return defaults.synchronize() ? 0 : 1;
}
