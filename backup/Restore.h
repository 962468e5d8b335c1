#pragma once

// Restoring a backup onto this device. Bundles are made only by NestoraTool,
// in one run for every category (CategoryTool.h); the preferences domains are
// written with this process's rights, flushed together; the restored items
// are hidden through the hide library, opened once, and only when it is
// installed (then the apps' paths are looked up).
//
// Killed at any point, running the same restore again finishes the job: the
// journal says where each category was begun, every step first looks whether
// it is done already, and a category's items are written before any app is
// hidden, so no app is ever hidden that no category holds.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "backup/BackupFormat.h"
#include "platform/AppServices.h"

namespace nestora::backup {

struct RestoreCounts {
    std::size_t restored = 0;        // made (or finished) on this device
    std::size_t alreadyPresent = 0;  // left alone: the device has the same category
    std::size_t skipped = 0;         // no place for them on this device
    std::size_t failed = 0;          // a step did not take; the journal is kept for another run
    std::size_t missingApps = 0;     // items naming apps not installed here (kept in their categories)
};

// Restores every category of the backup; `backupKey` names the file for the
// journal (backupKeyOf its bytes). Messages and progress go to `messages`.
RestoreCounts restoreBackup(const Backup& backup, std::string_view backupKey, const platform::AppServices& services,
                            std::FILE* messages);

}  // namespace nestora::backup
