#include "backup/BackupListing.h"

#include <cmath>
#include <ctime>
#include <string>

#include "backup/PrintableText.h"

namespace nestora::backup {

namespace {

std::string describeDate(const std::optional<plist::Date>& date) {
    if (!date || !std::isfinite(date->secondsSinceReferenceDate)) return "at an unknown time";
    const double unixSeconds = date->secondsSinceReferenceDate + kUnixTimeOfReferenceDate;
    if (unixSeconds < 0 || unixSeconds > 253402300799.0) return "at an unknown time";  // past year 9999
    const std::time_t seconds = static_cast<std::time_t>(unixSeconds);
    std::tm utc {};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::strftime(text, sizeof text, "on %Y-%m-%d at %H:%M:%S UTC", &utc);
    return text;
}

}  // namespace

void printBackupListing(std::FILE* out, const Backup& backup) {
    const std::size_t count = backup.categories.size();
    std::fprintf(out, "Backup saved %s, %zu %s\n", describeDate(backup.created).c_str(), count,
                 count == 1 ? "category" : "categories");
    for (const BackupCategory& category : backup.categories) {
        const std::string name = category.displayName ? printable(*category.displayName) : "(no bundle)";
        const std::size_t items = itemsOf(category.preferences).size();
        std::fprintf(out, "%-17s %-12s %zu %s%s\n", name.c_str(), printable(category.directoryName).c_str(), items,
                     items == 1 ? "item" : "items", category.icon ? ", icon" : "");
    }
}

}  // namespace nestora::backup
