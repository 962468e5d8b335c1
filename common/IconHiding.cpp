#include "common/IconHiding.h"

#include "platform/DynamicLibrary.h"

namespace nestora {

namespace {

// The library's entry points: the Info.plist path in, "did anything change" out.
using HideEntry = bool (*)(const char* infoPlistPath);

}  // namespace

std::optional<std::string> infoPlistPathForDisplayIdentifier(const platform::AppServices& services,
                                                             std::string_view displayIdentifier) {
    auto executable = services.executablePathForDisplayIdentifier(displayIdentifier);
    if (!executable) return std::nullopt;
    return infoPlistPathForExecutable(*executable);
}

std::string infoPlistPathForExecutable(std::string_view executablePath) {
    const auto slash = executablePath.rfind('/');
    std::string folder(slash == std::string_view::npos ? std::string_view() : executablePath.substr(0, slash));
    return folder + "/Info.plist";
}

bool setIconHiddenForInfoPlistPath(const std::optional<std::string>& infoPlistPath, bool hidden) {
    // A set-user-id caller must not run code from a library its invoker could
    // have replaced.
    auto library = platform::DynamicLibrary::open(kHideLibraryPath, platform::isPrivilegedRun());
    if (!library) return false;
    auto entry = reinterpret_cast<HideEntry>(library->symbol(hidden ? "HideIcon" : "UnHideIcon"));
    if (entry == nullptr) return false;
    return entry(infoPlistPath ? infoPlistPath->c_str() : nullptr);
}

bool setIconHidden(const platform::AppServices& services, std::string_view displayIdentifier, bool hidden) {
    return setIconHiddenForInfoPlistPath(infoPlistPathForDisplayIdentifier(services, displayIdentifier), hidden);
}

}  // namespace nestora
