#pragma once

// File-system operations on device paths. Every function maps its device
// paths onto the device root; nothing else in the code base touches files.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nestora::files {

// True when any entry exists at the path: file, folder, or symbolic link
// (also a dangling one). Never follows a final link.
bool exists(std::string_view path);

// True when the path (following links) is a regular file / a folder.
bool isRegularFile(std::string_view path);
bool isDirectory(std::string_view path);

// The names in a folder, sorted by their bytes (FolderNames.h), without "." and
// "..". None when the folder cannot be read.
std::optional<std::vector<std::string>> listFolder(std::string_view path);

// Creates one folder (`mode`, 0777 unless given, less the umask); parents
// are not created and an existing entry is a failure.
bool createFolder(std::string_view path, mode_t mode = 0777);

// Flushes a folder's entries (names made, renamed or removed in it) to
// disk, so that they survive a power loss. False when that fails.
bool syncFolder(std::string_view path);

// Copies a regular file byte for byte. Fails when anything exists at the
// destination (it is created O_EXCL, so a planted link is never followed).
// The copy gets the source's permission bits. A relative source is taken
// relative to the working directory.
bool copyFile(std::string_view source, std::string_view destination);

// Sets the permission bits. Does not follow a final symbolic link: a link
// fails rather than changing what it points to.
bool setMode(std::string_view path, mode_t mode);

// Sets owner and group by user and group name, without following a final
// symbolic link. Fails when either name is unknown.
bool setOwner(std::string_view path, const std::string& user, const std::string& group);

// Creates a zero-byte file (mode 0666 less the umask). Fails when anything
// exists at the path, including a symbolic link.
bool createEmptyFile(std::string_view path);

// Writes the bytes to a temporary file in the same folder, flushes it to
// disk and renames it over the path, so that readers and a crash see either
// the old file or the new one. A symbolic link at the path is replaced, never
// followed. When a file was there, the new one keeps its mode and, where the
// process may, its owner; otherwise it gets `newFileMode` (less the umask).
bool writeFileAtomically(std::string_view path, std::string_view bytes, mode_t newFileMode = 0644);

// writeFileAtomically without any flush: for a file handed to another program
// and removed straight after, which no one needs after a crash. Readers see
// the old file or the new one; a crash may leave either, or a torn one.
bool writeFileUnflushed(std::string_view path, std::string_view bytes, mode_t newFileMode = 0644);

// Files replaced the way writeFileAtomically replaces one, made durable
// together for the cost of a few flushes however many they are: add() writes
// each to its temporary file without flushing it; commit() flushes their file
// systems once each (syncfs: every file written so far is on disk), renames
// each into place, and flushes each folder once (every rename is on disk).
// Killed or cut off at any point, each file is the old one or the new one.
// Temporary files that were not committed are removed when the batch goes.
class AtomicWriteBatch {
public:
    AtomicWriteBatch();
    ~AtomicWriteBatch();
    AtomicWriteBatch(const AtomicWriteBatch&) = delete;
    AtomicWriteBatch& operator=(const AtomicWriteBatch&) = delete;

    // False when the temporary file could not be written (nothing is left).
    bool add(std::string_view path, std::string_view bytes, mode_t newFileMode = 0644);
    // The device paths that could not be replaced (they keep their old file).
    std::vector<std::string> commit();

private:
    struct Pending;
    std::vector<Pending> pending_;
};

// Whether a folder entry is the temporary file writeFileAtomically makes for
// `name` (".<name>.XXXXXX"), left by a process killed before its rename.
bool isAtomicWriteTemporaryFor(std::string_view entry, std::string_view name);

// Removes the path and, for a folder, everything in it. Never follows a
// symbolic link: a link inside the tree or at the path itself is removed as
// a link. Succeeds when nothing is left at the path (also when nothing was
// there); fails otherwise, possibly after removing part of the tree.
bool removeRecursively(std::string_view path);

// The file's bytes, or none when it cannot be read, is not a regular file, or
// is larger than `limit`. A FIFO or device at the path is never waited on.
std::optional<std::string> readFile(std::string_view path, std::size_t limit = SIZE_MAX);

// The same, but a symbolic link at the path itself is refused, not followed
// (links in the folders above it are followed): for files someone else may
// have put a link in place of, such as an app's Info.plist.
std::optional<std::string> readFileNotThroughLink(std::string_view path, std::size_t limit = SIZE_MAX);

// The first `count` bytes of a regular file (all of it when it is shorter),
// or none when it cannot be read or is not a regular file: for a look at a
// file's header without reading the rest.
std::optional<std::string> readFileStart(std::string_view path, std::size_t count);

}  // namespace nestora::files
