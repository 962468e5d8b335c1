#include "app/CategoryListing.h"

#include "common/CategoryNaming.h"
#include "platform/Files.h"

namespace nestora::app {

namespace {

// No trailing dot: "com.quarvek.nestoraX.Y.plist" passes as well, as it
// always has.
constexpr std::string_view kCategoryFilePrefix = "com.quarvek.nestora";
constexpr std::size_t kCategoryFileParts = 5;

}  // namespace

std::string categoryIdentifierForPreferencesFileName(std::string_view fileName) {
    if (!fileName.starts_with(kCategoryFilePrefix) || dotComponentCount(fileName) != kCategoryFileParts) {
        return {};
    }
    std::string identifier(fileName.substr(0, fileName.rfind('.')));
    // The directory name goes on the tool's command line; a name the tool
    // would refuse (one that reads as an option among them) is no category.
    if (!isPlainCategoryName(categoryDirectoryName(identifier))) {
        return {};
    }
    return identifier;
}

std::vector<std::string> listCategoryIdentifiers() {
    std::vector<std::string> identifiers;
    const auto names = files::listFolder(kCategoryPreferencesFolder);
    if (!names) {
        return identifiers;
    }
    for (const std::string& name : *names) {
        std::string identifier = categoryIdentifierForPreferencesFileName(name);
        if (!identifier.empty()) {
            identifiers.push_back(std::move(identifier));
        }
    }
    return identifiers;
}

}  // namespace nestora::app
