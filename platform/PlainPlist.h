#pragma once

// A quick read of the Info.plist files bundles carry: an XML property list
// whose top level is a dictionary of strings, booleans and integers. Scans
// of a device read thousands of these, and libplist spends more on them than
// reading the files costs. Anything outside that plain form (other value
// types, entities, comments, CDATA, carriage returns, duplicate keys, text
// that is not UTF-8, UTF-16) is refused, and the caller parses the file in
// full, so the quick read answers only where it must agree with the full
// parse. A leading UTF-8 byte-order mark is skipped, as the full parse does.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nestora::plist {

struct PlainDictionary {
    // Top-level keys with string values, in file order.
    std::vector<std::pair<std::string, std::string>> strings;
    // Top-level keys whose value is a boolean or an integer (not read).
    std::vector<std::string> otherKeys;

    // The string under a key; none when missing or not a string.
    std::optional<std::string> stringForKey(std::string_view key) const;
};

std::optional<PlainDictionary> readPlainDictionary(std::string_view bytes);

// The same read, for a scan that keeps the bytes while it looks: views into
// them, nothing copied.
struct PlainDictionaryView {
    std::vector<std::pair<std::string_view, std::string_view>> strings;
    std::vector<std::string_view> otherKeys;

    std::optional<std::string_view> stringForKey(std::string_view key) const;
};

std::optional<PlainDictionaryView> readPlainDictionaryView(std::string_view bytes);

}  // namespace nestora::plist
