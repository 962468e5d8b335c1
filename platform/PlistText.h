#pragma once

// The text of an XML property list as the readers take it: UTF-8 from the
// first byte. Some real Info.plists carry a UTF-8 byte-order mark before the
// declaration, and some are UTF-16 throughout; Python's plistlib (through
// expat) reads both, libplist reads neither. Binary lists pass unchanged.

#include <optional>
#include <string>
#include <string_view>

namespace nestora::plist {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The bytes without a leading UTF-8 byte-order mark; UTF-16 text (marked by
// its byte-order mark, or unmarked but starting with an XML declaration)
// converted to UTF-8 in `converted` and viewed there; none when that UTF-16
// text is cut short or holds a lone surrogate. Anything else as it stands.
std::optional<std::string_view> plistBytesAsUtf8(std::string_view bytes, std::string& converted);

}  // namespace nestora::plist
