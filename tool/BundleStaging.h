#pragma once

// A category bundle never stands half-made behind its own name. It is built
// in a folder of /Applications that no scan takes for an app
// (".<directory name>.staging.<random>"), flushed to disk, and renamed into
// place in one step; a bundle that goes is first renamed out of the way the
// same way (".<directory name>.deleting.<random>") and only then emptied. A
// file replaced in a bundle is written beside it, in
// ".<directory name>.replacing.<random>", and renamed into the bundle. A run
// killed in between leaves one of these folders or files, which repair
// finishes or removes (CategoryMaintenance.h): all of them are found by
// listing /Applications alone.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PrivilegedFiles.h"

namespace nestora::tool {

// A launcher file of the installation as a bundle gets it: the bytes, and
// the source's permission bits (0755 for the launcher, which must run).
struct LauncherFile {
    std::string bytes;
    mode_t mode = 0;
};
std::optional<LauncherFile> readLauncherFile(std::string_view name);

// The launcher files in the order of kLauncherFiles, read once for a run
// that stages many bundles; none when one of them cannot be read.
using LauncherFiles = std::vector<LauncherFile>;
std::optional<LauncherFiles> readLauncherFiles();

// Staging and Deleting name folders; Replacing names a regular file.
enum class LeftoverKind { Staging, Deleting, Replacing };

struct LeftoverFolder {
    std::string name;           // the entry in /Applications
    std::string directoryName;  // the category's, e.g. "Category007"
    LeftoverKind kind = LeftoverKind::Staging;
};

// A fresh name for a folder of this kind; none when the category's name is
// too long to make one.
std::optional<std::string> leftoverFolderName(std::string_view directoryName, LeftoverKind kind);

// The folder a name made by leftoverFolderName stands for; none for any
// other entry.
std::optional<LeftoverFolder> parseLeftoverFolderName(std::string_view entry);

// How a bundle is staged. By default every file is flushed as it is written
// and the bundle can be published at once. With `flushLater`, nothing is
// flushed and the Info.plist waits under a side name: the caller flushes
// the file system, seals the bundle (its Info.plist takes its name), flushes
// again, and only then publishes it (StagedBatch.h). Either way a staging
// folder that holds an Info.plist holds every other file whole on disk.
struct StagingOptions {
    std::optional<std::string_view> icon;  // the bytes of icon.png, when the bundle gets one
    bool flushLater = false;
    // For a run that stages many bundles: /Applications opened and the
    // launcher files read once, not again for each bundle.
    const privileged::FileDescriptor* applications = nullptr;
    const LauncherFiles* launcher = nullptr;
};

// The five launcher files and the eleven-key Info.plist, assembled under a
// staging name. While this lives and is not published, the folder is removed
// when it goes, so a failure leaves nothing behind.
class StagedBundle {
public:
    enum class Outcome {
        Published,  // the bundle is in place under its name
        Taken,      // something appeared at the bundle path; nothing changed
        Failed,     // it could not be renamed into place; nothing changed
    };

    // Builds the bundle for `bundlePath` with this display name, printing
    // the failing step with the paths the bundle will have. None on failure.
    static std::optional<StagedBundle> build(std::FILE* out, std::string_view bundlePath, std::string_view displayName,
                                             const StagingOptions& options = {});

    StagedBundle(StagedBundle&& other) noexcept;
    StagedBundle& operator=(StagedBundle&&) = delete;
    StagedBundle(const StagedBundle&) = delete;
    StagedBundle& operator=(const StagedBundle&) = delete;
    ~StagedBundle();

    // Renames the staging folder to the bundle's name, never over anything,
    // and flushes /Applications.
    Outcome publish();

    // For a bundle staged with `flushLater`, once its files are on disk:
    // gives the Info.plist its name, unflushed. True when it did.
    bool seal();
    // publish() without the flush of /Applications (the caller's).
    Outcome publishUnflushed();

    const std::string& bundleName() const { return bundleName_; }

private:
    StagedBundle(privileged::FileDescriptor applications, std::string stagingName, std::string bundleName);

    privileged::FileDescriptor applications_;
    std::optional<privileged::FileDescriptor> staging_;
    std::string stagingName_;
    std::string bundleName_;
    bool done_ = false;
};

enum class BundleMove {
    Moved,    // the bundle left the category's name; `movedTo` names the folder
    Removed,  // a name too long for a leftover folder's: removed where it stood
    Missing,  // nothing was there
    Failed,   // the bundle could not be taken away; it is untouched
};

// Takes the bundle out of the category's name in one rename; the caller
// then removes the folder it went to (removeLeftoverFolder).
BundleMove moveBundleAway(std::string_view bundlePath, std::optional<LeftoverFolder>& movedTo);

// Whether the files a run replaces in this category's bundle are written
// beside it under a leftover name (a Replacing one); when the category's
// name is too long for one, they are written in the bundle itself.
bool replacesBesideBundle(std::string_view directoryName);

// Replaces the file `name` in a category's bundle (open) as
// privileged::replaceFileAt does, the temporary file made beside the bundle
// under a Replacing name when replacesBesideBundle.
privileged::ReplaceResult replaceBundleFile(const privileged::FileDescriptor& bundle, std::string_view directoryName,
                                            std::string_view name, std::string_view bytes,
                                            privileged::ReplaceOptions options);

// "/Applications/<entry>"
std::string leftoverFolderPath(const LeftoverFolder& folder);

// Removes a leftover folder (never through a link); true when it is gone.
bool removeLeftoverFolder(const LeftoverFolder& folder);

// Whether the bundle in an open folder holds the five launcher files and an
// Info.plist naming `identifier`: what a finished staging folder holds.
bool holdsWholeBundle(const privileged::FileDescriptor& bundle, std::string_view identifier);

}  // namespace nestora::tool
