#include "tool/BundleStaging.h"

#include <algorithm>
#include <climits>

#include "common/CategoryNaming.h"
#include "platform/BatchFlush.h"
#include "platform/Plist.h"
#include "tool/CategoryIdentity.h"
#include "tool/CategoryStore.h"
#include "tool/PathText.h"

namespace nestora::tool {

namespace {

constexpr std::string_view kStagingMark = "staging";
// Where a staged Info.plist waits until the rest of the bundle is on disk.
constexpr std::string_view kUnsealedInfoPlistName = ".Info.plist.unsealed";
constexpr std::string_view kDeletingMark = "deleting";
constexpr std::string_view kReplacingMark = "replacing";

std::string_view markOf(LeftoverKind kind) {
    switch (kind) {
        case LeftoverKind::Staging:
            return kStagingMark;
        case LeftoverKind::Deleting:
            return kDeletingMark;
        case LeftoverKind::Replacing:
            break;
    }
    return kReplacingMark;
}

// ".<directory name>.<mark>.": a leftover name without its random suffix.
std::string leftoverPrefix(std::string_view directoryName, LeftoverKind kind) {
    std::string name = ".";
    name.append(directoryName);
    name.push_back('.');
    name.append(markOf(kind));
    name.push_back('.');
    return name;
}

std::string_view lastComponent(std::string_view path) { return path.substr(path.rfind('/') + 1); }

// Copies the launcher files, the icon when there is one, and writes the
// Info.plist into the staging folder; prints the failing step with the path
// it will have in the bundle.
bool fillBundle(std::FILE* out, const privileged::FileDescriptor& staging, std::string_view bundlePath,
                std::string_view displayName, const StagingOptions& options) {
    const auto write = [&](std::string_view name, std::string_view bytes, mode_t mode) {
        return options.flushLater ? privileged::writeUnflushedFileAt(staging, name, bytes, mode)
                                  : privileged::createFileAt(staging, name, bytes, mode);
    };
    for (std::size_t i = 0; i < std::size(kLauncherFiles); ++i) {
        const std::string_view name = kLauncherFiles[i];
        std::optional<LauncherFile> read;
        const LauncherFile* source = options.launcher != nullptr && i < options.launcher->size()
                                         ? &(*options.launcher)[i]
                                         : (read = readLauncherFile(name)) ? &*read : nullptr;
        if (source == nullptr || !write(name, source->bytes, source->mode)) {
            printMessage(out, "ERROR: Unable to copy to dest: %s\n", joinPath(bundlePath, name));
            return false;
        }
    }
    if (options.icon && !write(kIconFileName, *options.icon, 0644)) {
        printMessage(out, "ERROR: Unable to write file: %s\n", joinPath(bundlePath, kIconFileName));
        return false;
    }
    plist::Dictionary info = categoryInfoDictionary(identifierForBundlePath(bundlePath));
    info["CFBundleDisplayName"] = std::string(displayName);
    const std::string xml = plist::toXml(plist::Value(std::move(info)));
    const bool written = !xml.empty() && (options.flushLater ? write(kUnsealedInfoPlistName, xml, 0644)
                                                              : write(kInfoPlistName, xml, 0644) &&
                                                                    privileged::syncFolder(staging));
    if (!written) {
        printMessage(out, "ERROR: Unable to write file: %s\n", joinPath(bundlePath, kInfoPlistName));
        return false;
    }
    return true;
}

}  // namespace

std::optional<LauncherFile> readLauncherFile(std::string_view name) {
    // Launcher files are small; a larger one in the installation is refused.
    static constexpr std::size_t kMaxLauncherFileBytes = 64 * 1024 * 1024;
    auto folder = privileged::openFolder(kLauncherFolder);
    if (!folder) {
        return std::nullopt;
    }
    auto source = privileged::readFileAt(*folder, name, kMaxLauncherFileBytes);
    if (!source) {
        return std::nullopt;
    }
    // A copy keeps the source's permission bits; the launcher must run.
    const mode_t mode = name == kLauncherExecutable ? 0755 : source->mode & 0777;
    return LauncherFile{std::move(source->bytes), mode};
}

std::optional<LauncherFiles> readLauncherFiles() {
    LauncherFiles files;
    for (std::string_view name : kLauncherFiles) {
        std::optional<LauncherFile> file = readLauncherFile(name);
        if (!file) return std::nullopt;
        files.push_back(std::move(*file));
    }
    return files;
}

std::optional<std::string> leftoverFolderName(std::string_view directoryName, LeftoverKind kind) {
    std::string name = leftoverPrefix(directoryName, kind);
    name.append(privileged::randomSuffix());
    if (name.size() > NAME_MAX) {
        return std::nullopt;
    }
    return name;
}

bool replacesBesideBundle(std::string_view directoryName) {
    return leftoverPrefix(directoryName, LeftoverKind::Replacing).size() + privileged::kRandomSuffixLength <= NAME_MAX;
}

privileged::ReplaceResult replaceBundleFile(const privileged::FileDescriptor& bundle, std::string_view directoryName,
                                            std::string_view name, std::string_view bytes,
                                            privileged::ReplaceOptions options) {
    std::optional<privileged::FileDescriptor> applications;
    if (replacesBesideBundle(directoryName) && (applications = privileged::openParentFolder(bundle))) {
        options.temporaryFolder = &*applications;
        options.temporaryPrefix = leftoverPrefix(directoryName, LeftoverKind::Replacing);
    }
    return privileged::replaceFileAt(bundle, name, bytes, options);
}

std::optional<LeftoverFolder> parseLeftoverFolderName(std::string_view entry) {
    if (!entry.starts_with('.')) {
        return std::nullopt;
    }
    std::string_view rest = entry.substr(1);
    // A category's directory name holds no dot, so the first one ends it.
    const auto dot = rest.find('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    LeftoverFolder folder;
    folder.name = std::string(entry);
    folder.directoryName = std::string(rest.substr(0, dot));
    rest.remove_prefix(dot + 1);
    if (rest.starts_with(kStagingMark)) {
        folder.kind = LeftoverKind::Staging;
        rest.remove_prefix(kStagingMark.size());
    } else if (rest.starts_with(kDeletingMark)) {
        folder.kind = LeftoverKind::Deleting;
        rest.remove_prefix(kDeletingMark.size());
    } else if (rest.starts_with(kReplacingMark)) {
        folder.kind = LeftoverKind::Replacing;
        rest.remove_prefix(kReplacingMark.size());
    } else {
        return std::nullopt;
    }
    if (!rest.starts_with('.') || !privileged::isRandomSuffix(rest.substr(1)) ||
        !isPlainCategoryName(folder.directoryName)) {
        return std::nullopt;
    }
    return folder;
}

std::optional<StagedBundle> StagedBundle::build(std::FILE* out, std::string_view bundlePath,
                                                std::string_view displayName, const StagingOptions& options) {
    const std::string bundleName(lastComponent(bundlePath));
    std::string_view directoryName = bundleName;
    directoryName.remove_suffix(std::min<std::size_t>(directoryName.size(), 4));  // ".app"
    auto applications = options.applications != nullptr ? privileged::duplicate(*options.applications)
                                                         : privileged::openFolder(kApplicationsFolder);
    std::optional<std::string> stagingName = leftoverFolderName(directoryName, LeftoverKind::Staging);
    if (!applications || !stagingName || !privileged::makeFolderAt(*applications, *stagingName, 0755)) {
        printMessage(out, "ERROR: Unable to create directory: %s\n", bundlePath);
        return std::nullopt;
    }
    StagedBundle staged(std::move(*applications), std::move(*stagingName), bundleName);
    staged.staging_ = privileged::openFolderAt(staged.applications_, staged.stagingName_);
    if (!staged.staging_) {
        printMessage(out, "ERROR: Unable to create directory: %s\n", bundlePath);
        return std::nullopt;
    }
    if (!fillBundle(out, *staged.staging_, bundlePath, displayName, options)) {
        return std::nullopt;
    }
    return staged;
}

StagedBundle::StagedBundle(privileged::FileDescriptor applications, std::string stagingName, std::string bundleName)
    : applications_(std::move(applications)),
      stagingName_(std::move(stagingName)),
      bundleName_(std::move(bundleName)) {}

StagedBundle::StagedBundle(StagedBundle&& other) noexcept
    : applications_(std::move(other.applications_)),
      staging_(std::move(other.staging_)),
      stagingName_(std::move(other.stagingName_)),
      bundleName_(std::move(other.bundleName_)),
      done_(other.done_) {
    other.done_ = true;
}

StagedBundle::~StagedBundle() {
    if (!done_) {
        privileged::removeTreeAt(applications_, stagingName_);
    }
}

StagedBundle::Outcome StagedBundle::publish() {
    const Outcome outcome = publishUnflushed();
    if (outcome == Outcome::Published) {
        privileged::syncFolder(applications_);
    }
    return outcome;
}

bool StagedBundle::seal() {
    return staging_ && privileged::renameUnflushedAt(*staging_, kUnsealedInfoPlistName, kInfoPlistName) ==
                           privileged::MoveResult::Moved;
}

StagedBundle::Outcome StagedBundle::publishUnflushed() {
    switch (privileged::renameUnflushedAt(applications_, stagingName_, bundleName_)) {
        case privileged::MoveResult::Moved:
            done_ = true;
            return Outcome::Published;
        case privileged::MoveResult::Taken:
            return Outcome::Taken;
        case privileged::MoveResult::Failed:
            break;
    }
    return Outcome::Failed;
}

BundleMove moveBundleAway(std::string_view bundlePath, std::optional<LeftoverFolder>& movedTo) {
    movedTo.reset();
    auto applications = privileged::openFolder(kApplicationsFolder);
    const std::string bundleName(lastComponent(bundlePath));
    if (!applications) {
        return BundleMove::Failed;
    }
    if (privileged::entryKind(*applications, bundleName) == privileged::EntryKind::Missing) {
        return BundleMove::Missing;
    }
    std::string_view directoryName = bundleName;
    directoryName.remove_suffix(std::min<std::size_t>(directoryName.size(), 4));
    std::optional<std::string> deletingName = leftoverFolderName(directoryName, LeftoverKind::Deleting);
    if (!deletingName) {
        // No room for a longer name: such a bundle (never one the tool
        // made) is removed where it stands.
        return privileged::removeTreeAt(*applications, bundleName) ? BundleMove::Removed : BundleMove::Failed;
    }
    if (privileged::moveEntryAt(*applications, bundleName, *deletingName) != privileged::MoveResult::Moved) {
        return BundleMove::Failed;
    }
    movedTo = LeftoverFolder{*deletingName, std::string(directoryName), LeftoverKind::Deleting};
    return BundleMove::Moved;
}

std::string leftoverFolderPath(const LeftoverFolder& folder) { return joinPath(kApplicationsFolder, folder.name); }

bool removeLeftoverFolder(const LeftoverFolder& folder) {
    auto applications = privileged::openFolder(kApplicationsFolder);
    return applications && privileged::removeTreeAt(*applications, folder.name);
}

bool holdsWholeBundle(const privileged::FileDescriptor& bundle, std::string_view identifier) {
    for (std::string_view name : kLauncherFiles) {
        if (privileged::entryKind(bundle, name) != privileged::EntryKind::RegularFile) {
            return false;
        }
    }
    return identifierNamedBy(bundle) == identifier;
}

}  // namespace nestora::tool
