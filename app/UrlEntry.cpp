#include "app/UrlEntry.h"

#include "app/Nestora.h"
#include "common/CategoryNaming.h"
#include "screens/settings/PrefsViewController.h"
#include "ui/NavigationController.h"

namespace nestora::app {

std::optional<std::string_view> urlQuery(std::string_view url) {
    // A "?" inside the fragment does not start a query.
    const std::string_view beforeFragment = url.substr(0, url.find('#'));
    const auto question = beforeFragment.find('?');
    if (question == std::string_view::npos) {
        return std::nullopt;
    }
    return beforeFragment.substr(question + 1);
}

std::optional<std::string> categoryIdentifierForURL(std::string_view url) {
    const std::optional<std::string_view> query = urlQuery(url);
    if (!query || !isCategoryBundleIdentifier(*query)) {
        return std::nullopt;
    }
    return std::string(*query);
}

std::optional<std::string> urlArgument(int argc, const char* const* argv) {
    if (argc < 2 || argv[1] == nullptr) {
        return std::nullopt;
    }
    return std::string(argv[1]);
}

bool Nestora::handleOpenURL(std::string_view url) {
    if (navController_ == nullptr) {
        return true;
    }
    // Always the full screen, extension or not. Anything but a category's
    // identifier gets the screen without a category: rows disabled, nothing
    // written, so "?../../etc/x" cannot name a file outside the folder.
    navController_->pushViewController(
        std::make_unique<screens::PrefsViewController>(preferences_, categoryIdentifierForURL(url)), true);
    return true;
}

}  // namespace nestora::app
