#pragma once

// nestora-backup's command line:
//
//   nestora-backup save FILE      every category into FILE
//   nestora-backup restore FILE   every category of FILE onto this device
//   nestora-backup list FILE      what FILE holds
//   nestora-backup autosave       into the backups folder when something
//                                 changed, keeping the last ten (the app runs
//                                 this at its orderly exit)
//
// FILE is a device path like every path here: with NESTORA_DEVICE_ROOT set,
// an absolute one lies inside the device root; a relative one is taken from
// the working directory. Exit status: 0 when the command did all it was
// asked; 1 when it failed or a restore left something out; 2 for a usage
// error.

#include <cstdio>

#include "backup/BackupSave.h"

namespace nestora::backup {

int runBackupCommand(int argc, char** argv, std::FILE* out, std::FILE* err, Clock::time_point now);

}  // namespace nestora::backup
