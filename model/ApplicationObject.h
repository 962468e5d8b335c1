#pragma once

// What the model and the screens need of the application object: the restart
// flag, hiding an app from the home screen, the two caches, the extension's
// presence, and the preferences and home-screen services of the process. The
// graphical application implements it; tests supply their own.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AppServices.h"
#include "platform/Preferences.h"

namespace nestora::model {

// The available-apps list (display identifiers). No value means empty: never
// filled, or dropped after a memory warning.
using AvailableApps = std::optional<std::vector<std::string>>;

// The icon picker's list of candidate icon paths, in the order found. No
// value means empty, as above.
using IconPaths = std::optional<std::vector<std::string>>;

class ApplicationObject {
public:
    virtual ~ApplicationObject() = default;

    // Marks a home-screen restart as owed; idempotent within a session.
    virtual void setRespringNeeded() = 0;

    // setHiddenFromSpringBoard:forDisplayIdentifier: hides (true) or shows
    // one app's home-screen icon and marks a restart as owed when the hide
    // library reports a change. A real application implements it with
    // hideFromSpringBoard() below.
    virtual void setHiddenFromSpringBoard(bool hidden, const std::string& displayIdentifier) = 0;

    // The `items` cache (read and replaced by the add-items screen, appended
    // to when an app leaves a category).
    virtual AvailableApps& items() = 0;

    // The `icons` cache (filled and read by the icon picker).
    virtual IconPaths& icons() = 0;

    // Whether the optional SpringBoard extension is installed; fixed at launch.
    virtual bool hasNestoraSB() const = 0;

    // The process's one preferences instance: every screen reads and writes
    // through it, so each sees what the others changed.
    virtual platform::Preferences& preferences() = 0;

    // The home-screen services (names, executables) of the process.
    virtual const platform::AppServices& appServices() const = 0;
};

// The hide library call: HideIcon (hidden) or UnHideIcon with the app's
// Info.plist path (none when the app is unknown); true when it reported a
// change. nestora::setIconHiddenForInfoPlistPath is the real one.
using IconHider = bool (*)(const std::optional<std::string>& infoPlistPath, bool hidden);

// The body of setHiddenFromSpringBoard:forDisplayIdentifier:. Finds the app's
// Info.plist (executable path less its last component, plus "/Info.plist"),
// logs "Hiding <path>" when hiding, calls the hider, and calls
// application.setRespringNeeded() when it reports a change. Returns what the
// hider returned. Failures are not reported beyond that.
bool hideFromSpringBoard(ApplicationObject& application, const platform::AppServices& services,
                         bool hidden, std::string_view displayIdentifier, IconHider hider);

// The same with the real hide library.
bool hideFromSpringBoard(ApplicationObject& application, const platform::AppServices& services,
                         bool hidden, std::string_view displayIdentifier);

}  // namespace nestora::model
