#include "tool/CategoryEnumeration.h"

#include <unordered_map>
#include <unordered_set>

#include "common/CategoryNaming.h"
#include "platform/Files.h"
#include "platform/OpenFolder.h"
#include "platform/Plist.h"
#include "platform/PlainPlist.h"
#include "tool/CategoryPreferencesFile.h"
#include "tool/TerminalText.h"

namespace nestora::tool {

namespace {

bool isCategoryIdentifier(std::string_view identifier) {
    return identifier.starts_with(kCategoryIdentifierPrefix) && dotComponentCount(identifier) == 4;
}

// A column as printed: printf's "%s" of none, the six characters "(null)",
// or the text with anything that could drive a terminal escaped.
std::string column(const std::optional<std::string>& text) { return text ? printableText(*text) : "(null)"; }

std::optional<std::string> displayNameOf(const plist::Value& info) { return info.stringForKey("CFBundleDisplayName"); }

// Whether an Info.plist could name a category at all. Most bundles in
// /Applications are ordinary apps, and parsing every one of them is most of
// the cost of a scan; a file whose bytes hold the maker's name neither as
// text nor as UTF-16 (how a binary list stores non-ASCII strings), and no
// XML construct that could split or encode it (entity, comment, CDATA),
// cannot hold a category identifier.
bool mayNameCategory(std::string_view bytes) {
    static constexpr std::string_view kMaker = "quarvek";
    static constexpr std::string_view kMakerUtf16("\0q\0u\0a\0r\0v\0e\0k", 14);
    return bytes.find(kMaker) != std::string_view::npos || bytes.find(kMakerUtf16) != std::string_view::npos ||
           bytes.find('&') != std::string_view::npos || bytes.find("<!--") != std::string_view::npos ||
           bytes.find("<![CDATA[") != std::string_view::npos;
}

struct PrefsScan {
    std::vector<std::string> identifiers;
    std::unordered_set<std::string> entries;  // every name in the folder
};

PrefsScan scanPrefsFolder(const std::optional<privileged::FileDescriptor>& folder) {
    PrefsScan scan;
    auto entries = folder ? privileged::listFolderAt(*folder) : std::nullopt;
    if (!entries) {
        return scan;
    }
    for (std::string& entry : *entries) {
        if (entry.starts_with(kCategoryIdentifierPrefix) && dotComponentCount(entry) == 5) {
            scan.identifiers.push_back(entry.substr(0, entry.rfind('.')));
        }
        scan.entries.insert(std::move(entry));
    }
    return scan;
}

}  // namespace

std::vector<CategoryBundle> scanCategoryBundles(std::vector<std::string>* unnamed) {
    std::vector<CategoryBundle> bundles;
    // Opened once: each Info.plist is read relative to it.
    const auto applications = files::OpenFolder::open(kApplicationsFolder);
    auto entries = applications ? applications->list() : std::nullopt;
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
        auto bytes = applications->readFile(entry + "/Info.plist", plist::kMaxInputBytes);
        if (!bytes && unnamed != nullptr) {
            unnamed->push_back(path);
        }
        if (!bytes || !mayNameCategory(*bytes)) {
            continue;
        }
        std::optional<std::string> identifier;
        std::optional<std::string> displayName;
        if (auto plain = plist::readPlainDictionaryView(*bytes)) {
            if (auto text = plain->stringForKey("CFBundleIdentifier")) identifier.emplace(*text);
            if (auto text = plain->stringForKey("CFBundleDisplayName")) displayName.emplace(*text);
        } else if (auto info = plist::parse(*bytes)) {
            identifier = info->stringForKey("CFBundleIdentifier");
            displayName = displayNameOf(*info);
        }
        if (identifier && isCategoryIdentifier(*identifier)) {
            bundles.push_back(CategoryBundle{std::move(path), std::move(*identifier), std::move(displayName)});
        }
    }
    return bundles;
}

std::vector<std::string> scanCategoryPrefs(const std::optional<privileged::FileDescriptor>& folder) {
    return scanPrefsFolder(folder).identifiers;
}

std::vector<std::string> scanCategoryPrefs() { return scanCategoryPrefs(openPreferencesFolder()); }

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

void printCategoryList(const ToolContext& context) {
    std::FILE* const out = context.out;
    const PrefsScan prefs = scanPrefsFolder(context.preferences());
    const std::vector<CategoryBundle> bundles = scanCategoryBundles();
    const std::vector<std::string> identifiers = collectCategoryIdentifiers(prefs.identifiers, bundles);
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
        // The folder was just listed; its names answer "do the preferences
        // exist" without asking the file system again.
        if (prefs.entries.contains(preferencesFileName(identifier))) {
            third = identifier;
        }
        std::fprintf(out, "%-17.17s %-35.35s %s\n", column(name).c_str(), column(path).c_str(), column(third).c_str());
    }
}

bool showCategory(const ToolContext& context, std::string_view identifier) {
    if (!preferencesFileExists(context.preferences(), identifier)) {
        std::fputs("ERROR: Category does not exist or is damaged.\n", context.out);
        return false;
    }
    // A file that cannot be read is damaged, not empty.
    const std::optional<std::vector<std::string>> items = readCategoryItems(context.preferences(), identifier);
    if (!items) {
        std::fputs("ERROR: Category does not exist or is damaged.\n", context.out);
        return false;
    }
    if (items->empty()) {
        std::fputs("Category is empty.\n", context.out);
        return true;
    }
    for (const std::string& item : *items) {
        std::optional<std::string> name;
        if (context.appServices != nullptr) {
            name = context.appServices->localizedApplicationNameForDisplayIdentifier(item);
        }
        std::fprintf(context.out, "%-17.17s %s\n", column(name).c_str(), printableText(item).c_str());
    }
    return true;
}

}  // namespace nestora::tool
