#include "common/IconHiding.h"

#include "platform/AppBundlePath.h"
#include "platform/DynamicLibrary.h"

namespace nestora {

namespace {

// The library's entry points: the Info.plist path in, "did anything change" out.
using HideEntry = bool (*)(const char* infoPlistPath);
// The stand-in's entry point for many paths: how many changed out.
using HideAllEntry = std::size_t (*)(const char* const* infoPlistPaths, std::size_t count, bool hide);

// The entry point for this direction; none when the library or the symbol
// is missing. A set-user-id caller must not run code from a library its
// invoker could have replaced.
struct HideCall {
    platform::DynamicLibrary library;
    HideEntry entry;
};

std::optional<HideCall> openHideCall(bool hidden) {
    auto library = platform::DynamicLibrary::open(kHideLibraryPath, platform::isPrivilegedRun());
    if (!library) return std::nullopt;
    auto entry = reinterpret_cast<HideEntry>(library->symbol(hidden ? "HideIcon" : "UnHideIcon"));
    if (entry == nullptr) return std::nullopt;
    return HideCall{std::move(*library), entry};
}

}  // namespace

std::optional<std::string> infoPlistPathForDisplayIdentifier(const platform::AppServices& services,
                                                             std::string_view displayIdentifier) {
    auto executable = services.executablePathForDisplayIdentifier(displayIdentifier);
    if (!executable) return std::nullopt;
    // The library edits the file it is handed, and in the tool it runs as
    // root: only a real bundle's Info.plist, reached through no link, goes.
    std::string path = infoPlistPathForExecutable(*executable);
    if (!platform::isAppBundleInfoPlistPath(path)) return std::nullopt;
    return path;
}

std::string infoPlistPathForExecutable(std::string_view executablePath) {
    const auto slash = executablePath.rfind('/');
    std::string folder(slash == std::string_view::npos ? std::string_view() : executablePath.substr(0, slash));
    return folder + "/Info.plist";
}

bool setIconHiddenForInfoPlistPath(const std::optional<std::string>& infoPlistPath, bool hidden) {
    auto call = openHideCall(hidden);
    return call && call->entry(infoPlistPath ? infoPlistPath->c_str() : nullptr);
}

bool setIconHidden(const platform::AppServices& services, std::string_view displayIdentifier, bool hidden) {
    // The library first: without it the call does nothing, and asking the
    // home-screen services (which may have to index every app) is wasted.
    auto call = openHideCall(hidden);
    if (!call) return false;
    const std::optional<std::string> path = infoPlistPathForDisplayIdentifier(services, displayIdentifier);
    return call->entry(path ? path->c_str() : nullptr);
}

struct IconHidingSession::Library {
    platform::DynamicLibrary library;
    HideEntry hide;
    HideEntry unhide;
    HideAllEntry all;  // may be missing
};

IconHidingSession::IconHidingSession() = default;
IconHidingSession::~IconHidingSession() = default;

bool IconHidingSession::available() {
    if (!looked_) {
        looked_ = true;
        if (auto library = platform::DynamicLibrary::open(kHideLibraryPath, platform::isPrivilegedRun())) {
            auto hide = reinterpret_cast<HideEntry>(library->symbol("HideIcon"));
            auto unhide = reinterpret_cast<HideEntry>(library->symbol("UnHideIcon"));
            if (hide != nullptr || unhide != nullptr) {
                auto all = reinterpret_cast<HideAllEntry>(library->symbol("SetIconsHidden"));
                library_ = std::make_unique<Library>(Library{std::move(*library), hide, unhide, all});
            }
        }
    }
    return library_ != nullptr;
}

bool IconHidingSession::setHidden(const std::optional<std::string>& infoPlistPath, bool hidden) {
    if (!available()) return false;
    const HideEntry entry = hidden ? library_->hide : library_->unhide;
    return entry != nullptr && entry(infoPlistPath ? infoPlistPath->c_str() : nullptr);
}

bool IconHidingSession::setHidden(const platform::AppServices& services, std::string_view displayIdentifier,
                                  bool hidden) {
    // Without the library the call does nothing, and asking the home-screen
    // services (which may have to index every app) is wasted.
    if (!available()) return false;
    return setHidden(infoPlistPathForDisplayIdentifier(services, displayIdentifier), hidden);
}

std::size_t IconHidingSession::setHiddenAll(const std::vector<std::optional<std::string>>& infoPlistPaths,
                                           bool hidden) {
    if (!available()) return 0;
    if (library_->all != nullptr) {
        std::vector<const char*> paths;
        paths.reserve(infoPlistPaths.size());
        for (const auto& path : infoPlistPaths) {
            if (path) paths.push_back(path->c_str());
        }
        return paths.empty() ? 0 : library_->all(paths.data(), paths.size(), hidden);
    }
    std::size_t changed = 0;
    for (const auto& path : infoPlistPaths) changed += setHidden(path, hidden) ? 1 : 0;
    return changed;
}

}  // namespace nestora
