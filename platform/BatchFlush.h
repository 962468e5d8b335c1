#pragma once

// Writing many new files and making them durable together. Flushing each
// file on its own costs a journal commit apiece (milliseconds each on a busy
// disk); a batch writes every file unflushed, makes the whole file system
// durable with one syncfs, and only then renames what it wrote into place.
//
// What each call makes durable:
//   - writeUnflushedFileAt: nothing; the file's bytes and its name wait for
//     the next flush.
//   - syncFileSystem: everything written on that file system so far (file
//     contents and every folder change), the way sync does.
//   - renameUnflushedAt: nothing; the rename waits for the next flush of its
//     folder (privileged::syncFolder) or of the file system.

#include <sys/types.h>

#include <string_view>

#include "platform/PrivilegedFiles.h"

namespace nestora::privileged {

// Creates the file `name` (O_EXCL|O_NOFOLLOW) with the mode and writes the
// bytes, without flushing them. On failure nothing is left at `name`.
bool writeUnflushedFileAt(const FileDescriptor& folder, std::string_view name, std::string_view bytes, mode_t mode);

// Renames `from` to `to` in the same open folder in one step, never
// replacing what is at `to`, without flushing the folder.
MoveResult renameUnflushedAt(const FileDescriptor& folder, std::string_view from, std::string_view to);

// Flushes the whole file system that holds the open file or folder (syncfs).
bool syncFileSystem(const FileDescriptor& anyEntry);

// Whether two open entries lie on the same file system (a flush of one
// then covers the other).
bool onSameFileSystem(const FileDescriptor& a, const FileDescriptor& b);

}  // namespace nestora::privileged
