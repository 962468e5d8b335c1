#include "tool/CategoryEnumeration.h"

#include <unordered_map>
#include <unordered_set>

#include "common/CategoryNaming.h"
#include "platform/Files.h"
#include "platform/Plist.h"
#include "tool/CategoryPreferencesFile.h"

namespace nestora::tool {

namespace {

bool isCategoryIdentifier(std::string_view identifier) {
    return identifier.starts_with(kCategoryIdentifierPrefix) && dotComponentCount(identifier) == 4;
}

// printf's "%s" of none: the six characters "(null)".
const char* textOrNull(const std::optional<std::string>& text) { return text ? text->c_str() : "(null)"; }

std::optional<std::string> displayNameOf(const plist::Value& info) { return info.stringForKey("CFBundleDisplayName"); }

}  // namespace

std::vector<CategoryBundle> scanCategoryBundles() {
    std::vector<CategoryBundle> bundles;
    auto entries = files::listFolder(kApplicationsFolder);
    if (!entries) {
        return bundles;
    }
    for (const std::string& entry : *entries) {
        if (!entry.ends_with(".app")) {
            continue;
        }
        std::string path(kApplicationsFolder);
        path.push_back('/');
        path.append(entry);
        auto info = plist::readFile(path + "/Info.plist");
        if (!info) {
            continue;
        }
        auto identifier = info->stringForKey("CFBundleIdentifier");
        if (identifier && isCategoryIdentifier(*identifier)) {
            bundles.push_back(CategoryBundle{std::move(path), displayNameOf(*info)});
        }
    }
    return bundles;
}

std::vector<std::string> scanCategoryPrefs() {
    std::vector<std::string> identifiers;
    auto entries = files::listFolder(kCategoryPreferencesFolder);
    if (!entries) {
        return identifiers;
    }
    for (const std::string& entry : *entries) {
        if (entry.starts_with(kCategoryIdentifierPrefix) && dotComponentCount(entry) == 5) {
            identifiers.push_back(entry.substr(0, entry.rfind('.')));
        }
    }
    return identifiers;
}

std::vector<std::string> collectCategoryIdentifiers(const std::vector<std::string>& prefs,
                                                    const std::vector<CategoryBundle>& bundles) {
    std::vector<std::string> identifiers = prefs;
    std::unordered_set<std::string> seen(prefs.begin(), prefs.end());
    for (const CategoryBundle& bundle : bundles) {
        std::string identifier = identifierForBundlePath(bundle.path);
        if (seen.insert(identifier).second) {
            identifiers.push_back(std::move(identifier));
        }
    }
    return identifiers;
}

std::vector<std::string> collectCategoryIdentifiers() {
    return collectCategoryIdentifiers(scanCategoryPrefs(), scanCategoryBundles());
}

void printCategoryList(std::FILE* out) {
    const std::vector<std::string> prefs = scanCategoryPrefs();
    const std::vector<CategoryBundle> bundles = scanCategoryBundles();
    const std::vector<std::string> identifiers = collectCategoryIdentifiers(prefs, bundles);
    if (identifiers.empty()) {
        std::fputs("No categories found.\n", out);
        return;
    }
    // The scan already read the Info.plist of every category bundle it found;
    // only bundles it did not recognise are read again.
    std::unordered_map<std::string_view, const CategoryBundle*> scanned;
    for (const CategoryBundle& bundle : bundles) {
        scanned.emplace(bundle.path, &bundle);
    }
    for (const std::string& identifier : identifiers) {
        std::optional<std::string> name;
        std::optional<std::string> path;
        const std::string bundlePath = bundlePathForIdentifier(identifier);
        if (auto found = scanned.find(bundlePath); found != scanned.end()) {
            name = found->second->displayName;
            path = bundlePath;
        } else if (files::exists(bundlePath)) {
            if (auto info = plist::readFile(bundlePath + "/Info.plist")) {
                name = displayNameOf(*info);
            }
            path = bundlePath;
        }
        std::optional<std::string> third;
        if (categoryPrefsExist(identifier)) {
            third = identifier;
        }
        std::fprintf(out, "%-17.17s %-35.35s %s\n", textOrNull(name), textOrNull(path), textOrNull(third));
    }
}

bool showCategory(const ToolContext& context, std::string_view identifier) {
    if (!categoryPrefsExist(identifier)) {
        std::fputs("ERROR: Category does not exist or is damaged.\n", context.out);
        return false;
    }
    const std::vector<std::string> items = readCategoryItems(identifier);
    if (items.empty()) {
        std::fputs("Category is empty.\n", context.out);
        return true;
    }
    for (const std::string& item : items) {
        std::optional<std::string> name;
        if (context.appServices != nullptr) {
            name = context.appServices->localizedApplicationNameForDisplayIdentifier(item);
        }
        std::fprintf(context.out, "%-17.17s %s\n", textOrNull(name), item.c_str());
    }
    return true;
}

}  // namespace nestora::tool
