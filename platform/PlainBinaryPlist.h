#pragma once

// A quick read of the binary property lists the preferences files are: a
// dictionary or array whose members are ASCII strings, booleans, small
// integers, or arrays and dictionaries of those. Scans read a thousand such
// files (every category's items), and libplist with its guard spends ten
// times what reading the files costs on them. Anything outside that plain
// form (deeper nesting, reals, dates, data, UTF-16 or non-ASCII strings,
// 16-byte integers, a key given twice, any reference or offset out of
// place) is refused, and the caller parses the file in full, so the quick
// read answers only where it agrees with the full parse. What it may build
// is bounded by the same byte budget as the full parse.

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/Plist.h"

namespace nestora::plist {

std::optional<Value> readPlainBinaryPlist(std::string_view bytes, std::size_t maxBytes);

}  // namespace nestora::plist
