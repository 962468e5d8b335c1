#pragma once

// Hiding and showing an app's home-screen icon through the outside library
// "/usr/lib/hide.dylib" and its entry points HideIcon / UnHideIcon, each
// taking the full path of the app's Info.plist. A single call opens and
// closes the library; a run that hides or shows many apps opens it once, in
// a session.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AppServices.h"

namespace nestora {

inline constexpr std::string_view kHideLibraryPath = "/usr/lib/hide.dylib";

// The Info.plist path of the app with this display identifier: its executable
// path without the last component, joined with "Info.plist". None for an
// unknown app, and for a path that is no bundle's directly in /Applications
// or in a container of /var/mobile/Applications, or that passes a link.
std::optional<std::string> infoPlistPathForDisplayIdentifier(const platform::AppServices& services,
                                                             std::string_view displayIdentifier);

// The same from an executable path the caller already has.
std::string infoPlistPathForExecutable(std::string_view executablePath);

// Calls HideIcon (hidden) or UnHideIcon with the path (null when none) and
// returns what the library returned; false when the library or the symbol is
// missing. In a set-user-id run the library is loaded only when it and its
// folder are owned by root and not writable by group or others.
bool setIconHiddenForInfoPlistPath(const std::optional<std::string>& infoPlistPath, bool hidden);

// setIconHidden: both steps above.
bool setIconHidden(const platform::AppServices& services, std::string_view displayIdentifier, bool hidden);

// The hide library opened once for a run that hides or shows many apps (a
// delete of a full category, a restore): loaded at the first call, with the
// same ownership check as a single call, and closed when the session goes.
// A library that is missing is looked for once.
class IconHidingSession {
public:
    IconHidingSession();
    ~IconHidingSession();
    IconHidingSession(const IconHidingSession&) = delete;
    IconHidingSession& operator=(const IconHidingSession&) = delete;

    // Whether the library is there (a missing entry point makes its calls
    // return false). Callers that would look paths up for nothing ask first.
    bool available();

    // As setIconHiddenForInfoPlistPath / setIconHidden, through this session.
    bool setHidden(const std::optional<std::string>& infoPlistPath, bool hidden);
    bool setHidden(const platform::AppServices& services, std::string_view displayIdentifier, bool hidden);
    // Every path, in order, in one call of the library's "SetIconsHidden"
    // where it has one (on disk together when it returns), otherwise one
    // call each as above. The number of calls that reported a change.
    std::size_t setHiddenAll(const std::vector<std::optional<std::string>>& infoPlistPaths, bool hidden);

private:
    struct Library;
    std::unique_ptr<Library> library_;
    bool looked_ = false;
};

}  // namespace nestora
