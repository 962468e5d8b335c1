#pragma once

// Quoting for the command lines the app hands to /bin/sh.

#include <string>
#include <string_view>

namespace nestora::app {

// Makes text safe inside a double-quoted shell word: backslash, dollar sign,
// backquote and double quote each get a backslash, in that order (the
// backslash pass comes first so the backslashes it adds are not doubled).
// Everything else, newlines and non-ASCII included, passes unchanged because
// the shell gives it no meaning between double quotes.
std::string escapeForDoubleQuotes(std::string_view text);

// The text escaped and wrapped in double quotes: one shell word that /bin/sh
// turns back into exactly `text`.
std::string doubleQuotedWord(std::string_view text);

}  // namespace nestora::app
