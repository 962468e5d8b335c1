#include "backup/BackupFormat.h"

#include "backup/PrintableText.h"
#include "tool/CategoryChanges.h"
#include "tool/CategoryOperand.h"
#include "tool/TextArguments.h"

namespace nestora::backup {

namespace {

constexpr std::string_view kFormatKey = "NestoraBackupFormat";
constexpr std::string_view kCreatedKey = "Created";
constexpr std::string_view kCategoriesKey = "Categories";
constexpr std::string_view kDirectoryNameKey = "DirectoryName";
constexpr std::string_view kDisplayNameKey = "DisplayName";
constexpr std::string_view kIconKey = "Icon";
constexpr std::string_view kPreferencesKey = "Preferences";
constexpr std::string_view kItemsKey = "items";
constexpr std::size_t kMaxDisplayIdentifierBytes = 1024;

plist::Value encodeCategory(const BackupCategory& category) {
    plist::Dictionary entry;
    entry[std::string(kDirectoryNameKey)] = category.directoryName;
    if (category.displayName) entry[std::string(kDisplayNameKey)] = *category.displayName;
    if (category.icon) entry[std::string(kIconKey)] = *category.icon;
    entry[std::string(kPreferencesKey)] = category.preferences;
    return plist::Value(std::move(entry));
}

std::string categoryLabel(std::size_t index, const std::string* directoryName) {
    std::string label = "category " + std::to_string(index + 1);
    if (directoryName != nullptr) label += " (" + printable(*directoryName) + ")";
    return label;
}

bool iconIsAcceptable(const plist::Data& icon) {
    const std::string_view bytes(reinterpret_cast<const char*>(icon.data()), icon.size());
    return icon.size() <= tool::kMaxIconBytes && tool::hasPngSignature(bytes);
}

// Drops the elements of "items" that are no display identifier, with a line
// for each; other keys of the domain are the user's own and stay as they are.
void dropImplausibleItems(plist::Dictionary& preferences, const std::string& label,
                          std::vector<std::string>& problems) {
    auto items = preferences.find(kItemsKey);
    if (items == preferences.end() || !items->second.isArray()) return;
    plist::Array kept;
    for (const plist::Value& item : *items->second.array()) {
        const std::string* text = item.string();
        if (text != nullptr && isPlausibleDisplayIdentifier(*text)) {
            kept.push_back(item);
        } else {
            problems.push_back(label + ": item " +
                               (text != nullptr ? "\"" + printable(*text) + "\"" : std::string("of the wrong type")) +
                               " skipped: not an app identifier");
        }
    }
    items->second = plist::Value(std::move(kept));
}

std::optional<BackupCategory> decodeCategory(const plist::Value& value, std::size_t index,
                                             std::vector<std::string>& problems) {
    if (!value.isDictionary()) {
        problems.push_back(categoryLabel(index, nullptr) + " skipped: not a dictionary");
        return std::nullopt;
    }
    const plist::Value* name = value.find(kDirectoryNameKey);
    if (name == nullptr || name->string() == nullptr) {
        problems.push_back(categoryLabel(index, nullptr) + " skipped: no directory name");
        return std::nullopt;
    }
    const std::string label = categoryLabel(index, name->string());
    if (!tool::isValidCategoryOperand(*name->string())) {
        problems.push_back(label + " skipped: not a category directory name");
        return std::nullopt;
    }
    BackupCategory category;
    category.directoryName = *name->string();
    if (const plist::Value* displayName = value.find(kDisplayNameKey)) {
        if (displayName->string() == nullptr) {
            problems.push_back(label + " skipped: its display name is not text");
            return std::nullopt;
        }
        // Stored the way the tool stores a name it is given, so that it
        // compares equal to what a restore leaves in the Info.plist.
        category.displayName = tool::displayNameFromArgument(*displayName->string());
    }
    if (const plist::Value* preferences = value.find(kPreferencesKey)) {
        if (!preferences->isDictionary()) {
            problems.push_back(label + " skipped: its preferences are not a dictionary");
            return std::nullopt;
        }
        category.preferences = *preferences->dictionary();
        dropImplausibleItems(category.preferences, label, problems);
    }
    if (const plist::Value* icon = value.find(kIconKey)) {
        if (icon->data() != nullptr && iconIsAcceptable(*icon->data())) {
            category.icon = *icon->data();
        } else {
            problems.push_back(label + ": icon skipped: not a PNG image");
        }
    }
    return category;
}

}  // namespace

std::vector<std::string> itemsOf(const plist::Dictionary& preferences) {
    std::vector<std::string> items;
    auto found = preferences.find(kItemsKey);
    if (found == preferences.end() || !found->second.isArray()) return items;
    for (const plist::Value& item : *found->second.array()) {
        if (const std::string* text = item.string()) items.push_back(*text);
    }
    return items;
}

bool isPlausibleDisplayIdentifier(std::string_view identifier) {
    if (identifier.empty() || identifier.size() > kMaxDisplayIdentifierBytes) return false;
    for (char c : identifier) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '/') return false;
    }
    return true;
}

plist::Value backupValue(const Backup& backup) {
    plist::Dictionary top;
    top[std::string(kFormatKey)] = plist::Value(kBackupFormatVersion);
    if (backup.created) top[std::string(kCreatedKey)] = *backup.created;
    plist::Array categories;
    categories.reserve(backup.categories.size());
    for (const BackupCategory& category : backup.categories) categories.push_back(encodeCategory(category));
    top[std::string(kCategoriesKey)] = plist::Value(std::move(categories));
    return plist::Value(std::move(top));
}

std::string encodeBackup(const Backup& backup) { return plist::toBinary(backupValue(backup)); }

const plist::Value* storedCategories(const plist::Value& stored) {
    const plist::Value* format = stored.find(kFormatKey);
    if (format == nullptr || format->integer() != kBackupFormatVersion) return nullptr;
    return stored.find(kCategoriesKey);
}

DecodedBackup decodeBackup(std::string_view bytes) {
    DecodedBackup decoded;
    if (bytes.empty()) {
        decoded.problems.emplace_back("the file is empty");
        return decoded;
    }
    std::optional<plist::Value> value = plist::parse(bytes, kMaxBackupBytes);
    if (!value) {
        decoded.problems.emplace_back("the file is not a readable property list");
        return decoded;
    }
    const plist::Value* format = value->find(kFormatKey);
    const plist::Value* categories = value->find(kCategoriesKey);
    if (format == nullptr || !format->isInteger() || categories == nullptr || !categories->isArray()) {
        decoded.problems.emplace_back("the file is not a Nestora backup");
        return decoded;
    }
    if (*format->integer() != kBackupFormatVersion) {
        decoded.problems.push_back("the backup has format " + std::to_string(*format->integer()) +
                                   ", which this version cannot read");
        return decoded;
    }
    Backup backup;
    if (const plist::Value* created = value->find(kCreatedKey)) backup.created = created->date();
    const plist::Array& entries = *categories->array();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (auto category = decodeCategory(entries[index], index, decoded.problems)) {
            backup.categories.push_back(std::move(*category));
        }
    }
    decoded.backup = std::move(backup);
    return decoded;
}

}  // namespace nestora::backup
