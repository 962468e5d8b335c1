#pragma once

// Many category bundles staged unflushed (StagingOptions::flushLater) and
// published together with three flushes, however many there are:
//   1. the file systems of /Applications and of the preferences folder are
//      flushed (syncfs): every staged file, and every preferences file made
//      for them, is on disk, each Info.plist still under its side name;
//   2. each bundle is sealed (its Info.plist takes its name) and /Applications'
//      file system is flushed again: a staging folder that holds an
//      Info.plist now holds every other file whole on disk, which is what
//      repair takes as a finished create;
//   3. each staging folder is renamed to its bundle's name and /Applications
//      is flushed: every published bundle is on disk under its name.
// Killed or cut off at any point, each bundle is under its staging name
// (repair finishes it when it is sealed and its preferences file is there,
// and removes it otherwise) or whole under its own.

#include <cstdio>
#include <optional>
#include <vector>

#include "platform/PrivilegedFiles.h"
#include "tool/BundleStaging.h"

namespace nestora::tool {

class StagedBatch {
public:
    void add(StagedBundle bundle) { bundles_.push_back(std::move(bundle)); }
    bool empty() const { return bundles_.empty(); }

    // Publishes every bundle added, printing "ERROR: Unable to create
    // directory" for each that could not be; what was not published goes
    // with its staging folder. `preferences`: the preferences folder, also
    // flushed in step 1 when it lies on another file system.
    void publishAll(std::FILE* out, const std::optional<privileged::FileDescriptor>& preferences);

private:
    std::vector<StagedBundle> bundles_;
};

}  // namespace nestora::tool
