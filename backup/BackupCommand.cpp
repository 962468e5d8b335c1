#include "backup/BackupCommand.h"

#include <string>
#include <string_view>
#include <vector>

#include "backup/BackupListing.h"
#include "backup/PrintableText.h"
#include "backup/Restore.h"
#include "backup/RestoreJournal.h"
#include "platform/AppServices.h"
#include "platform/Files.h"
#include "platform/Preferences.h"
#include "platform/RootRun.h"

namespace nestora::backup {

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

void printUsage(std::FILE* err) {
    std::fputs(
        "usage: nestora-backup save FILE\n"
        "       nestora-backup restore FILE\n"
        "       nestora-backup list FILE\n"
        "       nestora-backup autosave\n",
        err);
}

void printProblems(std::FILE* err, const std::vector<std::string>& problems) {
    for (const std::string& problem : problems) std::fprintf(err, "nestora-backup: %s\n", problem.c_str());
}

const char* plural(std::size_t count, const char* one, const char* many) { return count == 1 ? one : many; }

int save(std::string_view path, std::FILE* out, std::FILE* err, Clock::time_point now) {
    std::vector<std::string> problems;
    const Backup backup = collectBackup(now, problems);
    printProblems(err, problems);
    if (!writeBackupFile(path, backup)) {
        std::fprintf(err, "nestora-backup: cannot write %s\n", printable(path).c_str());
        return kFailure;
    }
    std::fprintf(out, "Saved %zu %s to %s\n", backup.categories.size(),
                 plural(backup.categories.size(), "category", "categories"), printable(path).c_str());
    return kSuccess;
}

int autosaveNow(std::FILE* out, std::FILE* err, Clock::time_point now) {
    std::vector<std::string> problems;
    const Backup backup = collectBackup(now, problems);
    printProblems(err, problems);
    const AutosaveResult result = autosave(backup, now);
    if (!result.ok) {
        std::fprintf(err, "nestora-backup: cannot save into %s\n", std::string(kBackupsFolder).c_str());
        return kFailure;
    }
    if (result.savedPath) std::fprintf(out, "Saved %s\n", printable(*result.savedPath).c_str());
    return kSuccess;
}

struct ReadBackup {
    std::string bytes;
    DecodedBackup decoded;
};

std::optional<ReadBackup> readBackup(std::string_view path, std::FILE* err) {
    auto bytes = files::readFile(path, kMaxBackupBytes);
    if (!bytes) {
        std::fprintf(err, "nestora-backup: cannot read %s (missing, not a regular file, or larger than %zu MB)\n",
                     printable(path).c_str(), kMaxBackupBytes / (1024 * 1024));
        return std::nullopt;
    }
    ReadBackup read{std::move(*bytes), {}};
    read.decoded = decodeBackup(read.bytes);
    printProblems(err, read.decoded.problems);
    if (!read.decoded.backup) {
        std::fprintf(err, "nestora-backup: %s is refused\n", printable(path).c_str());
        return std::nullopt;
    }
    return read;
}

int list(std::string_view path, std::FILE* out, std::FILE* err) {
    auto read = readBackup(path, err);
    if (!read) return kFailure;
    printBackupListing(out, *read->decoded.backup);
    return read->decoded.problems.empty() ? kSuccess : kFailure;
}

int restore(std::string_view path, std::FILE* out, std::FILE* err) {
    auto read = readBackup(path, err);
    if (!read) return kFailure;
    const platform::DeviceAppServices services;
    const RestoreCounts counts = restoreBackup(*read->decoded.backup, backupKeyOf(read->bytes), services, err);
    std::fprintf(out, "%zu %s restored, %zu already present, %zu skipped, %zu failed.\n", counts.restored,
                 plural(counts.restored, "category", "categories"), counts.alreadyPresent, counts.skipped,
                 counts.failed);
    if (counts.missingApps == 1) {
        std::fputs("1 item names an app that is not installed on this device; it stays in its category and comes "
                   "back when the app is installed.\n",
                   out);
    } else if (counts.missingApps > 1) {
        std::fprintf(out,
                     "%zu items name apps that are not installed on this device; they stay in their categories and "
                     "come back when the apps are installed.\n",
                     counts.missingApps);
    }
    const std::size_t refused = read->decoded.problems.size();
    if (refused > 0) {
        std::fprintf(out, "%zu %s of the backup refused (see the messages above).\n", refused,
                     plural(refused, "part", "parts"));
    }
    return counts.skipped == 0 && counts.failed == 0 && refused == 0 ? kSuccess : kFailure;
}

}  // namespace

int runBackupCommand(int argc, char** argv, std::FILE* out, std::FILE* err, Clock::time_point now) {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (arguments.empty()) {
        printUsage(err);
        return kUsage;
    }
    const std::string_view command = arguments[0];
    const bool takesFile = command == "save" || command == "restore" || command == "list";
    if (!(takesFile && arguments.size() == 2) && !(command == "autosave" && arguments.size() == 1)) {
        printUsage(err);
        return kUsage;
    }
    // Run by root, work as the user whose preferences these are, before the
    // first file is read: what is written stays theirs, nothing is read with
    // more rights, and no link of theirs leads root anywhere.
    if (!platform::leaveRootForPreferencesOwner("nestora-backup", err)) return kFailure;
    if (command == "save") return save(arguments[1], out, err, now);
    if (command == "restore") return restore(arguments[1], out, err);
    if (command == "list") return list(arguments[1], out, err);
    return autosaveNow(out, err, now);
}

}  // namespace nestora::backup
