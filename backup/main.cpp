// nestora-backup: saves and restores every category. Everything but the
// process entry lives in nestora_backup.

#include <cstdio>

#include "backup/BackupCommand.h"

int main(int argc, char** argv) {
    return nestora::backup::runBackupCommand(argc, argv, stdout, stderr, nestora::backup::Clock::now());
}
