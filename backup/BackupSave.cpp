#include "backup/BackupSave.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>

#include "backup/BackupFolders.h"
#include "backup/DeviceCategories.h"
#include "backup/PrintableText.h"
#include "platform/Files.h"

namespace nestora::backup {

namespace {

constexpr std::string_view kAutomaticPrefix = "Backup-";
constexpr std::string_view kAutomaticSuffix = ".plist";
// "Backup-" 8 digits "-" 6 digits "-" 2 digits ".plist"
constexpr std::size_t kAutomaticNameLength = 7 + 8 + 1 + 6 + 1 + 2 + 6;

bool isAutomaticBackupName(std::string_view name) {
    if (name.size() != kAutomaticNameLength || !name.starts_with(kAutomaticPrefix) ||
        !name.ends_with(kAutomaticSuffix)) {
        return false;
    }
    const std::string_view stamp = name.substr(kAutomaticPrefix.size(), 8 + 1 + 6 + 1 + 2);
    for (std::size_t i = 0; i < stamp.size(); ++i) {
        const bool dash = i == 8 || i == 15;
        if (dash ? stamp[i] != '-' : (stamp[i] < '0' || stamp[i] > '9')) return false;
    }
    return true;
}

// The newest automatic backup holds exactly these categories.
bool unchangedSince(std::string_view newestPath, const Backup& backup) {
    auto bytes = files::readFile(newestPath, kMaxBackupBytes);
    auto stored = bytes ? plist::parse(*bytes, kMaxBackupBytes) : std::nullopt;
    const plist::Value* before = stored ? storedCategories(*stored) : nullptr;
    return before != nullptr && *before == *storedCategories(backupValue(backup));
}

// A name after every existing one: from the clock, or, when the clock stands
// before the newest backup (set back, or two saves in one second), the
// newest one's time with the next sequence number.
std::optional<std::string> nextAutomaticName(Clock::time_point now, const std::vector<std::string>& existing) {
    std::string name = automaticBackupName(now, 0);
    if (existing.empty() || name > existing.back()) return name;
    const std::string& newest = existing.back();
    const std::size_t sequenceAt = newest.size() - kAutomaticSuffix.size() - 2;
    const int sequence = (newest[sequenceAt] - '0') * 10 + (newest[sequenceAt + 1] - '0');
    if (sequence >= 99) return std::nullopt;
    name = newest;
    name[sequenceAt] = static_cast<char>('0' + (sequence + 1) / 10);
    name[sequenceAt + 1] = static_cast<char>('0' + (sequence + 1) % 10);
    return name;
}

}  // namespace

Backup collectBackup(Clock::time_point now, std::vector<std::string>& problems) {
    Backup backup;
    const double unixSeconds = std::chrono::duration<double>(now.time_since_epoch()).count();
    backup.created = plist::Date{unixSeconds - kUnixTimeOfReferenceDate};
    for (DeviceCategory& category : scanDeviceCategories()) {
        if (category.preferencesUnreadable) {
            problems.push_back(printable(category.directoryName) + ": preferences unreadable, saved as empty");
        }
        BackupCategory saved;
        saved.directoryName = category.directoryName;
        saved.displayName = std::move(category.displayName);
        if (category.hasBundle) {
            if (auto icon = readCategoryIcon(category.directoryName)) {
                saved.icon.emplace(icon->begin(), icon->end());
            }
        }
        saved.preferences = std::move(category.preferences);
        backup.categories.push_back(std::move(saved));
    }
    return backup;
}

bool writeBackupFile(std::string_view path, const Backup& backup) {
    const std::string bytes = encodeBackup(backup);
    return !bytes.empty() && files::writeFileAtomically(path, bytes, 0600);
}

std::string automaticBackupName(Clock::time_point when, int sequence) {
    const std::time_t seconds = Clock::to_time_t(when);
    std::tm utc {};
    gmtime_r(&seconds, &utc);
    std::array<char, 64> name {};
    std::snprintf(name.data(), name.size(), "Backup-%04d%02d%02d-%02d%02d%02d-%02d.plist", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, sequence % 100);
    return name.data();
}

std::vector<std::string> automaticBackupNames(std::string_view folder) {
    std::vector<std::string> names;
    for (std::string& name : files::listFolder(folder).value_or(std::vector<std::string>{})) {
        if (isAutomaticBackupName(name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

AutosaveResult autosave(const Backup& backup, Clock::time_point now, std::string_view folder) {
    AutosaveResult result;
    if (!makeFolderWithParents(folder)) return result;
    const std::string prefix = std::string(folder) + "/";
    std::vector<std::string> names = automaticBackupNames(folder);
    if (!names.empty() && unchangedSince(prefix + names.back(), backup)) {
        result.ok = true;
        return result;
    }
    const std::optional<std::string> name = nextAutomaticName(now, names);
    if (!name || !writeBackupFile(prefix + *name, backup)) return result;
    names.push_back(*name);
    result.ok = true;
    result.savedPath = prefix + *name;
    for (std::size_t i = 0; i + kAutomaticBackupsKept < names.size(); ++i) {
        (void)files::removeRecursively(prefix + names[i]);
    }
    return result;
}

}  // namespace nestora::backup
