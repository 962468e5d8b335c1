#include "common/CategoryNaming.h"

#include "platform/Files.h"
#include "platform/Plist.h"

namespace nestora {

namespace {

std::string_view lastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string identifierForBundlePath(std::string_view bundlePath) {
    std::string_view name = lastPathComponent(bundlePath);
    // Drop the extension; a leading dot alone is not one.
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    std::string identifier(kCategoryIdentifierPrefix);
    identifier += name;
    return identifier;
}

std::string categoryDirectoryName(std::string_view identifier) {
    const auto dot = identifier.rfind('.');
    return std::string(dot == std::string_view::npos ? identifier : identifier.substr(dot + 1));
}

std::string bundlePathForIdentifier(std::string_view identifier) {
    std::string path(kApplicationsFolder);
    path += '/';
    path += categoryDirectoryName(identifier);
    path += ".app";
    return path;
}

std::string prefsPathForIdentifier(std::string_view identifier) {
    std::string path(kCategoryPreferencesFolder);
    path += '/';
    path += identifier;
    path += ".plist";
    return path;
}

bool categoryBundleExists(std::string_view identifier) { return files::exists(bundlePathForIdentifier(identifier)); }

bool categoryPrefsExist(std::string_view identifier) { return files::exists(prefsPathForIdentifier(identifier)); }

std::size_t dotComponentCount(std::string_view text) {
    std::size_t count = 1;
    for (char c : text) {
        if (c == '.') ++count;
    }
    return count;
}

bool isPlainCategoryName(std::string_view name) {
    if (name.empty() || name.front() == '-' || !plist::isPlainText(name)) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte == '/' || byte == '.' || byte < 0x20 || byte == 0x7f) return false;
        // U+0080..U+009F, the C1 controls, are 0xC2 0x80..0x9F in UTF-8.
        if (byte == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) < 0xA0) return false;
    }
    return true;
}

bool isCategoryBundleIdentifier(std::string_view identifier) {
    return identifier.starts_with(kCategoryIdentifierPrefix) &&
           isPlainCategoryName(identifier.substr(kCategoryIdentifierPrefix.size()));
}

}  // namespace nestora
