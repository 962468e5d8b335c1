// Backup files from anywhere: reading one must never crash, and whatever it
// keeps must write out and read back to the same categories, with nothing
// more refused the second time.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "backup/BackupFormat.h"
#include "backup/BackupListing.h"

namespace {

using nestora::plist::Type;
using nestora::plist::Value;

// Equal as written and read back: a NaN equals a NaN, and dates are left out
// (libplist keeps them to the microsecond, truncated, so one may move by a
// microsecond each time it is written).
bool sameAfterWriting(const Value& a, const Value& b) {
    if (a.type() != b.type()) return false;
    switch (a.type()) {
        case Type::Date:
            return true;
        case Type::Real:
            return *a.real() == *b.real() || (std::isnan(*a.real()) && std::isnan(*b.real()));
        case Type::Array: {
            if (a.array()->size() != b.array()->size()) return false;
            for (std::size_t i = 0; i < a.array()->size(); ++i) {
                if (!sameAfterWriting((*a.array())[i], (*b.array())[i])) return false;
            }
            return true;
        }
        case Type::Dictionary: {
            if (a.dictionary()->size() != b.dictionary()->size()) return false;
            for (auto i = a.dictionary()->begin(), j = b.dictionary()->begin(); i != a.dictionary()->end(); ++i, ++j) {
                if (i->first != j->first || !sameAfterWriting(i->second, j->second)) return false;
            }
            return true;
        }
        default:
            return a == b;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const nestora::backup::DecodedBackup decoded = nestora::backup::decodeBackup(bytes);
    if (!decoded.backup) return 0;
    static std::FILE* const sink = std::fopen("/dev/null", "w");
    nestora::backup::printBackupListing(sink, *decoded.backup);
    const nestora::backup::DecodedBackup again =
        nestora::backup::decodeBackup(nestora::backup::encodeBackup(*decoded.backup));
    if (!again.backup || !again.problems.empty() || again.backup->categories.size() != decoded.backup->categories.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < decoded.backup->categories.size(); ++i) {
        const auto& before = decoded.backup->categories[i];
        const auto& after = again.backup->categories[i];
        if (before.directoryName != after.directoryName || before.displayName != after.displayName ||
            before.icon != after.icon || !sameAfterWriting(Value(before.preferences), Value(after.preferences))) {
            std::abort();
        }
    }
    return 0;
}
