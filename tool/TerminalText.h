#pragma once

// What the tool prints comes partly from names other people chose: display
// names, item identifiers, file names in the user's preferences folder. None
// of it may reach a terminal as something that drives it.

#include <string>
#include <string_view>

namespace nestora::tool {

// The text with every byte that could drive a terminal written as "\xNN"
// (two lower-case hex digits): C0 controls, DEL, the C1 controls U+0080 to
// U+009F, and bytes that are not part of valid UTF-8. Everything else,
// backslashes included, stands as it is, so ordinary names print unchanged.
// Column widths count the bytes of this form.
std::string printableText(std::string_view text);

}  // namespace nestora::tool
