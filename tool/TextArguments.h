#pragma once

// Text that ends up in property lists must be valid UTF-8: command-line
// names are taken as UTF-8 and legacy file text as UTF-8 or, failing that,
// Latin-1 (the legacy app stored folder names as plain bytes).

#include <string>
#include <string_view>

namespace nestora::tool {

bool isValidUtf8(std::string_view bytes);

// Length of the valid UTF-8 sequence at the start of `bytes` (not empty), or
// 0 when it starts with no valid sequence.
std::size_t validSequenceLength(std::string_view bytes);

// A display name from the command line: the bytes as UTF-8 text, each
// invalid sequence and each control character other than tab, line feed and
// carriage return replaced by U+FFFD. Those controls cannot appear in an XML
// property list at all, and an Info.plist holding one is unreadable to
// strict readers (the home screen among them).
std::string displayNameFromArgument(std::string_view bytes);

// Valid UTF-8 as it stands; anything else read as Latin-1.
std::string legacyTextAsUtf8(std::string_view bytes);

}  // namespace nestora::tool
