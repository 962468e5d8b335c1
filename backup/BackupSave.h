#pragma once

// Saving every category of this device into one backup file, by hand
// ("save FILE") or automatically at the app's orderly exit ("autosave": into
// the backups folder, only when something changed, keeping the last ten).

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backup/BackupFolders.h"
#include "backup/BackupFormat.h"

namespace nestora::backup {

inline constexpr std::string_view kBackupsFolder = "/var/mobile/Library/Nestora/Backups";
inline constexpr std::size_t kAutomaticBackupsKept = 10;

using Clock = std::chrono::system_clock;

// Every category of the device (sorted by directory name), created `now`.
// A preferences file that cannot be read is saved as an empty domain, with a
// line in `problems`.
Backup collectBackup(Clock::time_point now, std::vector<std::string>& problems);

// Writes the backup through a temporary file renamed into place, readable
// by its owner only (it holds the user's layout). False when it could not.
bool writeBackupFile(std::string_view path, const Backup& backup);

// "Backup-YYYYMMDD-HHMMSS-NN.plist" in UTC; names sort in the order they
// were made.
std::string automaticBackupName(Clock::time_point when, int sequence);

// The automatic backups in a folder, oldest first (other files are not ours).
std::vector<std::string> automaticBackupNames(std::string_view folder);

struct AutosaveResult {
    bool ok = false;
    std::optional<std::string> savedPath;  // none when nothing changed since the newest backup
};

// Saves into `folder` (made with its parents when missing) unless the newest
// automatic backup there holds the same categories, then removes all but the
// newest kAutomaticBackupsKept automatic backups.
AutosaveResult autosave(const Backup& backup, Clock::time_point now, std::string_view folder = kBackupsFolder);

}  // namespace nestora::backup
