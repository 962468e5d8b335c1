#pragma once

// A backup of every category, as one binary property list:
//
//   NestoraBackupFormat   integer, 1
//   Created               date
//   Categories            array of dictionaries, one per category:
//     DirectoryName       string, "Category007"
//     DisplayName         string; absent when the category had no bundle
//     Icon                data, the bytes of the bundle's icon.png; absent when it had none
//     Preferences         dictionary, the category's whole preferences domain
//                         ("items" and the settings)
//
// Python's plistlib reads it as it stands. A backup file comes from anywhere
// (mail, another device, a user's editor), so decoding checks every part and
// says what it refused; nothing refused ever reaches the tool or the disk.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Plist.h"

namespace nestora::backup {

inline constexpr std::int64_t kBackupFormatVersion = 1;

// Unix time of the property-list epoch, 2001-01-01 00:00:00 UTC.
inline constexpr double kUnixTimeOfReferenceDate = 978307200.0;

// A thousand categories with their icons fit well inside this.
inline constexpr std::size_t kMaxBackupBytes = 64 * 1024 * 1024;

struct BackupCategory {
    std::string directoryName;
    std::optional<std::string> displayName;  // none: no bundle, only the preferences domain
    std::optional<plist::Data> icon;
    plist::Dictionary preferences;

    bool operator==(const BackupCategory&) const = default;
};

struct Backup {
    std::optional<plist::Date> created;
    std::vector<BackupCategory> categories;
};

// The category's "items" as display identifiers (the string elements of the
// array, in order); empty when there is no array.
std::vector<std::string> itemsOf(const plist::Dictionary& preferences);

// The backup as a property-list value, and as the bytes of its file (empty
// when it cannot be encoded).
plist::Value backupValue(const Backup& backup);
std::string encodeBackup(const Backup& backup);

// The backup's categories as stored in `stored`, a file's top-level value;
// null when it has none.
const plist::Value* storedCategories(const plist::Value& stored);

struct DecodedBackup {
    std::optional<Backup> backup;       // none when the file as a whole is refused
    std::vector<std::string> problems;  // one line for each part refused or left out
};

// Reads a backup from untrusted bytes. Refused as a whole: bytes that are no
// property list (or too large, too deep), a top level that is not a backup,
// another format version. Left out, each with a problem line: a category
// entry that is not a dictionary, a directory name the tool would refuse as
// an operand, a display name or preferences of the wrong type, an icon that
// is no PNG image or is too large (the category stays, without the icon), an
// item that cannot be a display identifier (the category stays, without it).
DecodedBackup decodeBackup(std::string_view bytes);

// A display identifier as apps carry them: non-empty, at most 1024 bytes,
// no control characters and no "/" (it never names a path).
bool isPlausibleDisplayIdentifier(std::string_view identifier);

}  // namespace nestora::backup
