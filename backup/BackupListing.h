#pragma once

// "nestora-backup list": what a backup holds, one line per category, every
// name made safe for a terminal.

#include <cstdio>

#include "backup/BackupFormat.h"

namespace nestora::backup {

// A header line (when it was saved and how many categories), then per
// category its display name ("(no bundle)" for a category saved without
// one), directory name, item count and whether it carries an icon.
void printBackupListing(std::FILE* out, const Backup& backup);

}  // namespace nestora::backup
