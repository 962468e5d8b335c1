#pragma once

// A category's preferences file as the tool, running as root, touches it.
// The file lives in the mobile user's own preferences folder, where the user
// can plant links and swap files, so every access here goes through the
// descriptor-based helpers: nothing is read or written through a link, a
// file is read only when it is the folder owner's or root's and has no other
// name (no hard link to someone else's file), new files are created
// exclusively and owner changes are made on the open file. The folder itself
// is the one the run opened and checked once (ToolContext.h): its path is
// never looked up again, so a folder swapped in later is never used.
// (The application uses the ordinary preferences interface on the same files.)

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Plist.h"
#include "platform/PrivilegedFiles.h"

namespace nestora::tool {

// The preferences folder, open; none when it cannot be opened (nothing in
// it can be read or made then).
using PreferencesFolder = std::optional<privileged::FileDescriptor>;

// Opens the folder as openFolder does: no link a user planted is followed.
PreferencesFolder openPreferencesFolder();

// "<identifier>.plist"
std::string preferencesFileName(std::string_view identifier);

// Whether anything (a link too) is at the file's name.
bool preferencesFileExists(const PreferencesFolder& folder, std::string_view identifier);

// The category's "items": the string elements of the array, in order; empty
// when the file is missing or holds no array under the key. None when the
// file is there but cannot be read: a link or no regular file, someone
// else's or one with another name, too large, or no property list the
// guard lets through. Unreadable is never empty: the apps such a category
// holds are unknown, not none.
std::optional<std::vector<std::string>> readCategoryItems(const PreferencesFolder& folder,
                                                          std::string_view identifier);

// Removes "items" and saves the file (same owner and mode). True when saved
// or when there was nothing to remove.
bool removeCategoryItems(const PreferencesFolder& folder, std::string_view identifier);

// A zero-byte file; false when anything is at its name. The folder is
// flushed unless `flushLater` (the caller flushes it, or its file system).
bool createEmptyPreferencesFile(const PreferencesFolder& folder, std::string_view identifier,
                                bool flushLater = false);

// Whether the file is there and holds nothing at all (zero bytes: what
// create and repair make).
bool preferencesFileIsEmpty(const PreferencesFolder& folder, std::string_view identifier);

// Writes a new preferences file (binary property list) through a temporary
// file renamed into place, owned by `owner` when given. It never replaces a
// file that appeared meanwhile, unless `overEmpty` is set and the file there
// holds nothing.
privileged::ReplaceResult writeNewPreferencesFile(const PreferencesFolder& folder, std::string_view identifier,
                                                  const plist::Dictionary& contents,
                                                  const std::optional<privileged::FileOwner>& owner,
                                                  bool overEmpty = false);

enum class RemoveOutcome { Removed, Missing, Failed };

// Removes whatever is at the file's name (a folder with its contents, a link
// as a link).
RemoveOutcome removePreferencesFile(const PreferencesFolder& folder, std::string_view identifier);

}  // namespace nestora::tool
