#pragma once

// What a run of the tool killed part-way leaves, and how repair settles it:
// a staging folder (a create or repair that did not get to rename the bundle
// into place), a deleting folder (a delete that did not get to empty the
// bundle it had taken away), temporary files of replacements that did not
// get to their rename (beside the bundle in /Applications, or, for a name too
// long for that and from earlier versions, inside it), and, from older
// versions of the tool, bundles built in place that never got their
// Info.plist. Each thing settled is reported on a line of its own.

#include <cstdio>
#include <optional>
#include <string_view>

#include "platform/PrivilegedFiles.h"
#include "tool/ToolContext.h"

namespace nestora::tool {

// Finishes or removes the staging and deleting folders in /Applications, and
// removes the temporary files of replacements there: those of one category,
// or all of them. A whole staging folder whose
// category has its preferences file and no bundle is renamed into place
// (the create had made everything); any other is removed. A deleting
// folder is removed, and the delete it belonged to is finished: the
// preferences file goes too when the category has no bundle and no items.
void settleLeftoverFolders(const ToolContext& context, std::optional<std::string_view> onlyDirectoryName);

// Whether a bundle (open) holds temporary files a killed run left.
bool bundleHoldsTemporaryFiles(const privileged::FileDescriptor& bundle);

// Removes the temporary files left in a category's bundle (open).
void removeBundleTemporaryFiles(std::FILE* out, const privileged::FileDescriptor& bundle, std::string_view identifier);

// Removes the temporary files left beside category preferences files: those
// of one category, or of all of them.
void removePreferencesTemporaryFiles(const ToolContext& context, std::optional<std::string_view> onlyIdentifier);

// Gives a category bundle (open) the launcher files it lacks, each written
// whole before it appears.
void restoreMissingLauncherFiles(std::FILE* out, const privileged::FileDescriptor& bundle, std::string_view identifier);

// Gives a category bundle (open) that has no readable Info.plist naming it
// its missing launcher files and a fresh Info.plist (display name = the
// directory name). Each file is written whole before it appears.
void completeUnnamedBundle(std::FILE* out, const privileged::FileDescriptor& bundle, std::string_view identifier);

}  // namespace nestora::tool
