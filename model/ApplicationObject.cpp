#include "model/ApplicationObject.h"

#include "common/IconHiding.h"
#include "platform/SystemLog.h"

namespace nestora::model {

bool hideFromSpringBoard(ApplicationObject& application, const platform::AppServices& services,
                         bool hidden, std::string_view displayIdentifier, IconHider hider) {
    const auto infoPlistPath = infoPlistPathForDisplayIdentifier(services, displayIdentifier);
    if (hidden) {
        platform::systemLog("Hiding %s\n", infoPlistPath ? infoPlistPath->c_str() : "(null)");
    }
    // Only a change the library confirms owes a home-screen restart; a
    // missing library or an unknown app changes nothing.
    const bool changed = hider(infoPlistPath, hidden);
    if (changed) {
        application.setRespringNeeded();
    }
    return changed;
}

bool hideFromSpringBoard(ApplicationObject& application, const platform::AppServices& services,
                         bool hidden, std::string_view displayIdentifier) {
    return hideFromSpringBoard(application, services, hidden, displayIdentifier,
                               &setIconHiddenForInfoPlistPath);
}

}  // namespace nestora::model
