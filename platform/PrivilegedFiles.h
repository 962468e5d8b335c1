#pragma once

// File handling for a set-user-id root program that works in folders other
// users own. Everything here works on open descriptors, so what was checked
// is what gets used:
//   - folders are opened one component at a time, and a symbolic link is
//     followed only where it sits in a folder that only root can change
//     (a link the user planted is never followed);
//   - files are created O_EXCL|O_NOFOLLOW, replaced through a temporary file
//     renamed into place, and handed to their owner with fchown;
//   - a file the invoking user named is opened with the invoker's rights.

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/UniqueFd.h"

namespace nestora::privileged {

// An open file descriptor, closed when this goes.
using FileDescriptor = platform::UniqueFd;

// Opens the folder at a device path. The device root itself is opened as it
// stands; below it each component is opened without following links, except
// a link inside a folder owned by root and writable by nobody else (root put
// it there). None when the folder cannot be opened that way.
std::optional<FileDescriptor> openFolder(std::string_view devicePath);

// Opens the folder `name` in an open folder, never through a link. None when
// it is not a folder or cannot be opened.
std::optional<FileDescriptor> openFolderAt(const FileDescriptor& folder, std::string_view name);

// The folder that holds an open folder: the one it really stands in, however
// it was reached. None when it cannot be opened.
std::optional<FileDescriptor> openParentFolder(const FileDescriptor& folder);

// A second descriptor of what `open` holds open; none when the process has
// no descriptor to spare.
std::optional<FileDescriptor> duplicate(const FileDescriptor& open);

// The names in an open folder, sorted by their bytes (FolderNames.h),
// without "." and ".."; none when it cannot be read.
std::optional<std::vector<std::string>> listFolderAt(const FileDescriptor& folder,
                                                     bool (*keep)(std::string_view) = nullptr);
// Whether an open folder holds a name `matches` takes (FolderNames.h); none
// when it cannot be read.
std::optional<bool> folderHoldsNameAt(const FileDescriptor& folder, bool (*matches)(std::string_view));

enum class EntryKind { Missing, RegularFile, Folder, SymbolicLink, Other, Unknown };

// What is at `name` in the folder, without following a link. Unknown when
// the entry cannot be examined for another reason than its absence.
EntryKind entryKind(const FileDescriptor& folder, std::string_view name);

struct FileOwner {
    uid_t uid = 0;
    gid_t gid = 0;
};

// The owner of an open file or folder; none when it cannot be examined.
std::optional<uid_t> ownerOf(const FileDescriptor& file);

// The real user id: who ran the program, whatever it runs as.
uid_t invokingUser();

// The ids of a user and a group by name; none when either is unknown.
std::optional<FileOwner> lookupOwner(const std::string& user, const std::string& group);

// A regular file's bytes and who owns it.
struct FileContents {
    std::string bytes;
    FileOwner owner;
    mode_t mode = 0;
};

// Reads the regular file `name` in the folder (never through a link). None
// when it is missing, not a regular file, unreadable or larger than `limit`.
std::optional<FileContents> readFileAt(const FileDescriptor& folder, std::string_view name,
                                       std::size_t limit);

// As readFileAt, for a folder that belongs to another user: only a file that
// is that user's own or root's, and has no other name, is read. A hard link
// to someone else's file (where the system lets users make one) is refused
// unread, as is a file that another user slipped in.
std::optional<FileContents> readOwnedFileAt(const FileDescriptor& folder, std::string_view name, std::size_t limit);

// Reads at most `maxBytes` from the start of a regular file at a device
// path (following links; for files in folders only root can change). None
// when it cannot be opened or is not a regular file.
std::optional<std::string> readFileHead(std::string_view devicePath, std::size_t maxBytes);

// Creates an empty file (O_EXCL|O_NOFOLLOW, so nothing that exists, not even
// a link, is opened). False when anything is in the way.
bool createEmptyFileAt(const FileDescriptor& folder, std::string_view name, mode_t mode);

enum class ReplaceResult {
    Replaced,       // the new file is in place
    WriteFailed,    // the temporary file could not be made or written; nothing changed
    RenameFailed,   // written, but it could not be renamed into place; nothing changed
    AlreadyExists,  // only with `onlyIfAbsent`: something is at the name; nothing changed
};

struct ReplaceOptions {
    mode_t mode = 0644;
    std::optional<FileOwner> owner;  // fchown on the temporary file before it is renamed
    bool onlyIfAbsent = false;       // never replace an entry that appeared meanwhile
    // Where the temporary file is made when not in the folder itself: a
    // folder of the same file system, under `temporaryPrefix` and a random
    // suffix. Both folders are flushed after the rename. Where the two turn
    // out to be on different file systems, the folder itself is used.
    const FileDescriptor* temporaryFolder = nullptr;
    std::string temporaryPrefix;
};

// Writes the bytes to a fresh temporary file in the folder (or in
// `options.temporaryFolder`), flushes it and renames it over `name`, so
// readers and a crash see the old file or the new one. A link at `name` is
// replaced, never followed.
ReplaceResult replaceFileAt(const FileDescriptor& folder, std::string_view name, std::string_view bytes,
                            const ReplaceOptions& options);

// Makes the folder `name` in an open folder (never through a link). False
// when anything is in the way.
bool makeFolderAt(const FileDescriptor& folder, std::string_view name, mode_t mode);

// Creates the file `name` (O_EXCL|O_NOFOLLOW) with the mode, writes the
// bytes and flushes them to disk. On failure nothing is left at `name`.
bool createFileAt(const FileDescriptor& folder, std::string_view name, std::string_view bytes, mode_t mode);

enum class MoveResult {
    Moved,   // the entry has its new name, and the folder is flushed
    Taken,   // something is at the new name; nothing changed
    Failed,  // nothing changed
};

// Renames `from` to `to` in the same open folder in one step, never replacing
// what is at `to`, then flushes the folder so the rename survives power loss.
MoveResult moveEntryAt(const FileDescriptor& folder, std::string_view from, std::string_view to);

// Flushes a folder's entries (new, renamed or removed names) to disk.
bool syncFolder(const FileDescriptor& folder);

// Twelve random hexadecimal digits: the unique part of a temporary name.
inline constexpr std::size_t kRandomSuffixLength = 12;
std::string randomSuffix();
// Whether the text is one randomSuffix could have made.
bool isRandomSuffix(std::string_view text);

// Whether `entry` is a temporary name replaceFileAt made for `name` in a run
// that was killed before it could rename or remove it.
bool isTemporaryNameFor(std::string_view entry, std::string_view name);

// Removes `name` from the folder and, for a folder, everything in it, never
// following a link. True when nothing is left at `name`.
bool removeTreeAt(const FileDescriptor& folder, std::string_view name);

// While it lives, the process acts with the rights of the user who ran it:
// the effective user and group ids are the real ones. A set-user-id run uses
// it for everything it reads on that user's behalf or in that user's
// folders; in an ordinary process it changes nothing. When the switch fails
// it is not active and the caller must not go on.
class InvokerRights {
public:
    InvokerRights();
    ~InvokerRights();
    InvokerRights(const InvokerRights&) = delete;
    InvokerRights& operator=(const InvokerRights&) = delete;
    bool active() const { return active_; }

private:
    uid_t savedUid_;
    gid_t savedGid_;
    bool active_ = false;
};

enum class InvokerReadError { None, CannotRead, TooLarge };

struct InvokerRead {
    std::optional<std::string> bytes;
    InvokerReadError error = InvokerReadError::None;
};

// Reads a regular file named by the invoking user, opened with the real user
// and group ids as effective ids, so a set-user-id run can read nothing the
// invoker could not. A device path is mapped onto the device root; a relative
// path is taken from the working directory.
InvokerRead readFileAsInvoker(std::string_view path, std::size_t limit);

// Sets the process's file-creation mask; returns the previous one.
mode_t setFileCreationMask(mode_t mask);

}  // namespace nestora::privileged
