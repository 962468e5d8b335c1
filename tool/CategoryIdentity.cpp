#include "tool/CategoryIdentity.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>

#include "common/CategoryNaming.h"
#include "platform/PlainPlist.h"
#include "platform/Plist.h"
#include "platform/PrivilegedFiles.h"
#include "tool/CategoryStore.h"

namespace nestora::tool {

namespace {

// Whether the bundle holds nothing but launcher files (or nothing at all):
// what a create or repair leaves when it is cut short before the launcher
// and the Info.plist are in place. Such a bundle is a category still, so that
// the next repair completes it or a delete clears it.
bool holdsOnlyLauncherFiles(const privileged::FileDescriptor& bundle) {
    auto names = privileged::listFolderAt(bundle);
    if (!names) {
        return false;
    }
    for (const std::string& name : *names) {
        if (std::find(std::begin(kLauncherFiles), std::end(kLauncherFiles), name) == std::end(kLauncherFiles)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> identifierNamedBy(const privileged::FileDescriptor& bundle) {
    auto info = privileged::readFileAt(bundle, kInfoPlistName, plist::kMaxInputBytes);
    if (!info) {
        return std::nullopt;
    }
    // The tool writes plain XML, which the quick reader takes.
    if (auto plain = plist::readPlainDictionaryView(info->bytes)) {
        auto identifier = plain->stringForKey("CFBundleIdentifier");
        return identifier ? std::optional<std::string>(*identifier) : std::nullopt;
    }
    auto value = plist::parse(info->bytes);
    return value ? value->stringForKey("CFBundleIdentifier") : std::nullopt;
}

BundleInspection inspectCategoryBundle(const std::optional<privileged::FileDescriptor>& applications,
                                       std::string_view identifier) {
    BundleInspection inspection;
    if (!applications) {
        inspection.identity = categoryBundleExists(identifier) ? BundleIdentity::Foreign : BundleIdentity::Absent;
        return inspection;
    }
    const std::string folderName = categoryDirectoryName(identifier) + ".app";
    switch (privileged::entryKind(*applications, folderName)) {
        case privileged::EntryKind::Missing:
            inspection.identity = BundleIdentity::Absent;
            return inspection;
        case privileged::EntryKind::Folder:
            break;
        default:
            inspection.identity = BundleIdentity::Foreign;  // a file, a link, or what cannot be examined
            return inspection;
    }
    auto bundle = privileged::openFolderAt(*applications, folderName);
    inspection.identity = BundleIdentity::Foreign;
    if (!bundle) {
        return inspection;
    }
    if (auto named = identifierNamedBy(*bundle)) {
        if (*named == identifier) {
            inspection.identity = BundleIdentity::Category;
            inspection.named = true;
            inspection.folder = std::move(bundle);
        }
        return inspection;
    }
    // A category whose Info.plist was lost or damaged is still known by the
    // launcher only the tool puts into a bundle, one cut short in the making
    // by holding no more than some launcher files.
    if (privileged::entryKind(*bundle, kLauncherExecutable) == privileged::EntryKind::RegularFile ||
        holdsOnlyLauncherFiles(*bundle)) {
        inspection.identity = BundleIdentity::Category;
        inspection.folder = std::move(bundle);
    }
    return inspection;
}

BundleIdentity identifyCategoryBundle(std::string_view identifier) {
    return inspectCategoryBundle(privileged::openFolder(kApplicationsFolder), identifier).identity;
}

bool mayChangeCategory(std::FILE* out, std::string_view identifier) {
    return mayChangeCategory(out, identifier, identifyCategoryBundle(identifier));
}

bool mayChangeCategory(std::FILE* out, std::string_view identifier, BundleIdentity identity) {
    if (identity != BundleIdentity::Foreign) {
        return true;
    }
    std::fprintf(out, "ERROR: Not a category: %s\n", categoryDirectoryName(identifier).c_str());
    return false;
}

}  // namespace nestora::tool
