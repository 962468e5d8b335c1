#pragma once

// Making many categories in one run, each under a directory name of the
// caller's choosing, with its display name and icon: what a restore needs,
// which --create (it picks the number) and --name / --icon (applied to one
// operand after all options) cannot give for more than one category a run.
//
// The list is a property list the invoking user writes and the tool reads
// with that user's rights: an array of dictionaries, each with
// "DirectoryName" (a plain category name, as on the command line),
// "DisplayName" (text) and, when the category has one, "Icon" (the bytes of
// a PNG image). Entries are taken in order; a bad entry is reported and
// passed over. Absent bundles are staged and published together
// (StagedBatch.h); a category that is there is completed, named and given its
// icon as repair, --name and --icon would. Every category gets its (empty)
// preferences file when it has none.

#include <cstddef>
#include <string_view>

#include "tool/ToolContext.h"

namespace nestora::tool {

inline constexpr std::string_view kListDirectoryNameKey = "DirectoryName";
inline constexpr std::string_view kListDisplayNameKey = "DisplayName";
inline constexpr std::string_view kListIconKey = "Icon";

// A list of a thousand categories with their icons is a few megabytes;
// anything past this is refused unread.
inline constexpr std::size_t kMaxCategoryListBytes = 64 * 1024 * 1024;

// The operation behind --restore <file>: false when the list could not be
// read (nothing was changed); otherwise true, each entry's failure printed.
bool restoreCategories(const ToolContext& context, std::string_view listPath);

}  // namespace nestora::tool
