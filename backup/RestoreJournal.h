#pragma once

// What a restore is about to make, written before it makes anything, so that
// a run killed midway can be finished by running the same restore again: the
// next run finds the categories the first one had started under the same
// directory names, instead of taking them for someone else's and making the
// same categories once more. Removed when a restore has finished.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace nestora::backup {

inline constexpr std::string_view kRestoreJournalPath = "/var/mobile/Library/Nestora/RestoreJournal.plist";

struct RestoreJournal {
    std::string backupKey;                      // which backup file (backupKeyOf its bytes)
    std::map<std::size_t, std::string> targets;  // category index in that backup -> directory name
};

// Tells one backup file from another (not a cryptographic digest: only a
// journal left by the same file is picked up again).
std::string backupKeyOf(std::string_view bytes);

// The journal, or none when there is none or it is unreadable. Targets the
// tool would refuse as operands are dropped.
std::optional<RestoreJournal> readRestoreJournal();

// Written through a temporary file renamed into place (its folder made when
// missing).
bool writeRestoreJournal(const RestoreJournal& journal);

bool removeRestoreJournal();

}  // namespace nestora::backup
