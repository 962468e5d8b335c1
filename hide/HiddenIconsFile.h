#pragma once

// The stand-in hide library's list, kept so that hiding or showing one app
// costs the same however many are hidden, and is on disk when the call
// returns.
//
// The file stays an XML property list, an array of the hidden Info.plist
// paths in the order they were hidden, that any reader takes as it is; it is
// laid out so that it can be changed in place:
//   - after the closing tags the file is padded with spaces, written and
//     flushed when the file is made, so writing there changes neither the
//     file's size nor its blocks;
//   - a hide writes its entry over the closing tags and the closing tags
//     after it; a show overwrites the entry's line with spaces;
//   - a comment in the header holds a generation number that every change
//     bumps, so a process that holds the file open learns at the cost of one
//     small read whether another one changed it.
// Each change is one or two writes in place, and each call (of one change
// or of many) one fdatasync, under an exclusive flock of the file. When the padding runs out (or the file is not
// in this layout: written by someone else, or damaged) the list is written
// anew, through a temporary file renamed into place, with room for as many
// entries again: a cost that comes once per as many changes as the list
// holds.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/UniqueFd.h"

namespace nestora::hide {

class HiddenIconsFile {
public:
    HiddenIconsFile() = default;
    HiddenIconsFile(const HiddenIconsFile&) = delete;
    HiddenIconsFile& operator=(const HiddenIconsFile&) = delete;

    // Adds (hidden) or removes the path; true when the list changed and the
    // change is on disk. A path the list cannot hold faithfully (one with a
    // control character) is refused.
    bool setHidden(std::string_view infoPlistPath, bool hidden);
    // Adds or removes each of the paths, in order, under one lock and with
    // one flush for them all: the number of changes, all on disk when it
    // returns (none when a write failed). Paths the list cannot hold, or
    // that are already as asked, are passed over.
    std::size_t setHiddenAll(const std::vector<std::string_view>& infoPlistPaths, bool hidden);

private:
    struct Entry {
        std::size_t offset = 0;  // of its line
        std::size_t length = 0;  // of its line, "\n" included
    };

    // Opens the file and takes the lock; reads it again when another
    // process changed or replaced it since this one last looked.
    bool lockCurrent();
    void unlock();
    // Reads the open file; one not in this layout is written anew.
    bool load();
    // Writes the list anew with room for at least `spare` more bytes, and
    // takes the new file.
    bool rewrite(const std::vector<std::string>& paths, std::size_t spare);
    std::vector<std::string> pathsInOrder() const;
    std::optional<std::uint64_t> generationOnDisk() const;
    // Writes the next generation, before the first change a call makes.
    bool announceChange();

    platform::UniqueFd fd_;
    bool loaded_ = false;
    unsigned long loadedInode_ = 0;
    std::uint64_t generation_ = 0;
    std::size_t tail_ = 0;      // where "</array>" stands
    std::size_t capacity_ = 0;  // the file's size
    std::unordered_map<std::string, Entry> entries_;
};

// A list in this layout as read: its entries by path with their lines,
// where its closing tags stand, and whether a line is neither an entry nor
// blank (a change a power cut tore) or the closing tags are missing.
struct ListInLayout {
    struct Line {
        std::size_t offset = 0;
        std::size_t length = 0;
    };
    std::uint64_t generation = 0;
    std::size_t tail = 0;
    bool torn = false;
    std::unordered_map<std::string, Line> entries;
};

// None when the bytes are not in this layout.
std::optional<ListInLayout> readListInLayout(std::string_view bytes);

// The paths a list holds hidden, in the order they were hidden: a list in
// this layout read line by line (a torn line counts as no entry), any other
// read as a property list (empty when it is none).
std::vector<std::string> hiddenPathsOfList(std::string_view bytes);

// The bytes of a list in this layout holding the paths, with `spare` bytes
// of padding at least.
std::string hiddenIconsFileBytes(const std::vector<std::string>& paths, std::uint64_t generation, std::size_t spare);

}  // namespace nestora::hide
