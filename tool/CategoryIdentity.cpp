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
    if (auto plain = plist::readPlainDictionary(info->bytes)) {
        return plain->stringForKey("CFBundleIdentifier");
    }
    auto value = plist::parse(info->bytes);
    return value ? value->stringForKey("CFBundleIdentifier") : std::nullopt;
}

BundleIdentity identifyCategoryBundle(std::string_view identifier) {
    const std::string directoryName = categoryDirectoryName(identifier);
    const std::string folderName = directoryName + ".app";
    auto applications = privileged::openFolder(kApplicationsFolder);
    if (!applications) {
        return categoryBundleExists(identifier) ? BundleIdentity::Foreign : BundleIdentity::Absent;
    }
    switch (privileged::entryKind(*applications, folderName)) {
        case privileged::EntryKind::Missing:
            return BundleIdentity::Absent;
        case privileged::EntryKind::Folder:
            break;
        default:
            return BundleIdentity::Foreign;  // a file, a link, or what cannot be examined
    }
    auto bundle = privileged::openFolderAt(*applications, folderName);
    if (!bundle) {
        return BundleIdentity::Foreign;
    }
    if (auto named = identifierNamedBy(*bundle)) {
        return *named == identifier ? BundleIdentity::Category : BundleIdentity::Foreign;
    }
    // A category whose Info.plist was lost or damaged is still known by the
    // launcher only the tool puts into a bundle, one cut short in the making
    // by holding no more than some launcher files.
    if (privileged::entryKind(*bundle, kLauncherExecutable) == privileged::EntryKind::RegularFile ||
        holdsOnlyLauncherFiles(*bundle)) {
        return BundleIdentity::Category;
    }
    return BundleIdentity::Foreign;
}

bool mayChangeCategory(std::FILE* out, std::string_view identifier) {
    if (identifyCategoryBundle(identifier) != BundleIdentity::Foreign) {
        return true;
    }
    std::fprintf(out, "ERROR: Not a category: %s\n", categoryDirectoryName(identifier).c_str());
    return false;
}

}  // namespace nestora::tool
