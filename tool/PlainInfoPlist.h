#pragma once

// A quick read of the Info.plist files the tool and ordinary bundles carry:
// an XML property list whose top level is a dictionary of strings, booleans
// and integers. Listing a device parses a thousand of these; the full parser
// spends more on them than reading the files costs. Anything outside that
// plain form (other value types, entities, comments, CDATA, carriage
// returns, duplicate keys, text that is not UTF-8) is refused, and the
// caller parses the file in full, so the quick read answers only where it
// must agree with the full parse.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nestora::tool {

struct PlainInfoPlist {
    // Top-level keys with string values, in file order; keys whose value is
    // a boolean or an integer are left out.
    std::vector<std::pair<std::string, std::string>> strings;

    // The string under a key; none when missing or not a string.
    std::optional<std::string> stringForKey(std::string_view key) const;
};

std::optional<PlainInfoPlist> readPlainInfoPlist(std::string_view bytes);

}  // namespace nestora::tool
