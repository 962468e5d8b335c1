#include "backup/RestoreJournal.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "backup/BackupFolders.h"
#include "platform/Files.h"
#include "platform/Plist.h"
#include "tool/CategoryOperand.h"

namespace nestora::backup {

namespace {

constexpr std::string_view kBackupKey = "Backup";
constexpr std::string_view kTargetsKey = "Targets";
constexpr std::string_view kIndexKey = "Index";
constexpr std::string_view kDirectoryNameKey = "DirectoryName";

}  // namespace

std::string backupKeyOf(std::string_view bytes) {
    // FNV-1a, 64 bits, with the length beside it.
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    std::array<char, 48> key {};
    std::snprintf(key.data(), key.size(), "%016llx-%zu", static_cast<unsigned long long>(hash), bytes.size());
    return key.data();
}

std::optional<RestoreJournal> readRestoreJournal() {
    auto stored = plist::readFile(kRestoreJournalPath);
    if (!stored) return std::nullopt;
    auto key = stored->stringForKey(kBackupKey);
    const plist::Value* targets = stored->find(kTargetsKey);
    if (!key || targets == nullptr || !targets->isArray()) return std::nullopt;
    RestoreJournal journal;
    journal.backupKey = *key;
    for (const plist::Value& target : *targets->array()) {
        const plist::Value* index = target.find(kIndexKey);
        auto directoryName = target.stringForKey(kDirectoryNameKey);
        if (index == nullptr || !index->isInteger() || *index->integer() < 0 || !directoryName ||
            !tool::isValidCategoryOperand(*directoryName)) {
            continue;
        }
        journal.targets.emplace(static_cast<std::size_t>(*index->integer()), *directoryName);
    }
    return journal;
}

bool writeRestoreJournal(const RestoreJournal& journal) {
    plist::Array targets;
    for (const auto& [index, directoryName] : journal.targets) {
        plist::Dictionary target;
        target[std::string(kIndexKey)] = plist::Value(static_cast<std::int64_t>(index));
        target[std::string(kDirectoryNameKey)] = directoryName;
        targets.emplace_back(std::move(target));
    }
    plist::Dictionary top;
    top[std::string(kBackupKey)] = journal.backupKey;
    top[std::string(kTargetsKey)] = plist::Value(std::move(targets));
    const std::string bytes = plist::toBinary(plist::Value(std::move(top)));
    if (bytes.empty()) return false;
    if (!makeFolderWithParents(kNestoraDataFolder)) return false;
    return files::writeFileAtomically(kRestoreJournalPath, bytes, 0600);
}

bool removeRestoreJournal() { return files::removeRecursively(kRestoreJournalPath); }

}  // namespace nestora::backup
