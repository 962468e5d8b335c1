#pragma once

// The URL entry: the app registers the URL scheme "nestora" (its .desktop
// file names it as a scheme handler), and a URL such as
// "nestora:?com.quarvek.nestora.Category000" opens the full settings screen
// of the category its query names. The query names the preferences file
// that screen writes, so only a category bundle identifier is taken.

#include <optional>
#include <string>
#include <string_view>

namespace nestora::app {

inline constexpr std::string_view kUrlScheme = "nestora";

// The URL's query as written, not decoded: the text after the first "?" up
// to a "#". None when the URL has no "?".
std::optional<std::string_view> urlQuery(std::string_view url);

// The query when it is a category bundle identifier (the prefix and one
// plain category name, the rule the tool holds its operands to); none for
// anything else and for a URL without a query.
std::optional<std::string> categoryIdentifierForURL(std::string_view url);

// The URL the program was started with, as a URL handler passes it (the
// .desktop file's %u): the first argument left after Qt took its own.
std::optional<std::string> urlArgument(int argc, const char* const* argv);

}  // namespace nestora::app
