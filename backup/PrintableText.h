#pragma once

// Text from a backup or the device shown on a terminal: names and
// identifiers can hold anything, and a control character printed raw can
// drive the terminal.

#include <string>
#include <string_view>

namespace nestora::backup {

// The text with every control character (C0, DEL and the C1 range written
// as UTF-8) and every byte that is not part of valid UTF-8 written as \xNN,
// and a backslash as "\\"; everything else as it stands.
std::string printable(std::string_view text);

}  // namespace nestora::backup
