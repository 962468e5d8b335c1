// The order of the add-items list: apps by localized name, ignoring letter
// case and nothing else.

#include <algorithm>
#include <optional>
#include <string>

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/stringpiece.h>
#include <unicode/uchar.h>  // U_FOLD_CASE_DEFAULT

#include "model/AppInventory.h"

namespace nestora::model {

namespace {

// Unicode default case folding, no locale: "é" and "É" fold alike, and so do
// "ß" and "SS". Folded texts compare bytewise, which for UTF-8 is code point
// order. Text that is not valid UTF-8 compares by its raw bytes.
std::string foldedName(const std::string& name) {
    // ASCII text folds to its lower case, and nothing else in it changes.
    if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string lower = name;
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return lower;
    }
    std::string folded;
    icu::StringByteSink<std::string> sink(&folded, static_cast<int32_t>(name.size()));
    UErrorCode status = U_ZERO_ERROR;
    icu::CaseMap::utf8Fold(U_FOLD_CASE_DEFAULT, icu::StringPiece(name.data(), static_cast<int32_t>(name.size())),
                           sink, nullptr, status);
    if (U_FAILURE(status)) {
        return name;
    }
    return folded;
}


std::optional<std::string> foldedNameFor(const platform::AppServices& services, std::string_view id) {
    auto name = services.localizedApplicationNameForDisplayIdentifier(id);
    if (!name) {
        return std::nullopt;
    }
    return foldedName(*name);
}

// Named apps first, by folded name; apps without a name after them, by
// identifier. Equal folded names are equivalent.
std::weak_ordering compareKeys(const std::optional<std::string>& a, std::string_view idA,
                               const std::optional<std::string>& b, std::string_view idB) {
    if (a && b) {
        const int result = a->compare(*b);
        return result < 0 ? std::weak_ordering::less
               : result > 0 ? std::weak_ordering::greater
                            : std::weak_ordering::equivalent;
    }
    if (a) {
        return std::weak_ordering::less;
    }
    if (b) {
        return std::weak_ordering::greater;
    }
    return idA <=> idB;
}

}  // namespace

std::weak_ordering compareByLocalizedName(const platform::AppServices& services,
                                          std::string_view a, std::string_view b) {
    // Looked up afresh every time: a name may change between two sorts.
    return compareKeys(foldedNameFor(services, a), a, foldedNameFor(services, b), b);
}

std::vector<NamedApp> sortedWithLocalizedNames(const platform::AppServices& services,
                                               std::vector<std::string> displayIdentifiers) {
    // Each name is looked up and folded once per sort rather than once per
    // comparison; the order is the one compareByLocalizedName gives.
    struct Entry {
        std::optional<std::string> folded;
        NamedApp app;
    };
    std::vector<Entry> entries;
    entries.reserve(displayIdentifiers.size());
    // The names of one sort come from one look at the device.
    const platform::AppServices::Batch batch(services);
    for (std::string& id : displayIdentifiers) {
        std::optional<std::string> name = services.localizedApplicationNameForDisplayIdentifier(id);
        std::optional<std::string> folded = name ? std::optional<std::string>(foldedName(*name)) : std::nullopt;
        entries.push_back({std::move(folded), NamedApp{std::move(id), std::move(name)}});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& x, const Entry& y) {
        return compareKeys(x.folded, x.app.displayIdentifier, y.folded, y.app.displayIdentifier) < 0;
    });
    std::vector<NamedApp> sorted;
    sorted.reserve(entries.size());
    for (Entry& entry : entries) {
        sorted.push_back(std::move(entry.app));
    }
    return sorted;
}

std::vector<std::string> sortedByLocalizedName(const platform::AppServices& services,
                                               std::vector<std::string> displayIdentifiers) {
    std::vector<std::string> sorted;
    sorted.reserve(displayIdentifiers.size());
    for (NamedApp& app : sortedWithLocalizedNames(services, std::move(displayIdentifiers))) {
        sorted.push_back(std::move(app.displayIdentifier));
    }
    return sorted;
}

}  // namespace nestora::model
