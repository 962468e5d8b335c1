#pragma once

// A category operand on the command line ("Category007") becomes the
// category bundle identifier "com.quarvek.nestora.Category007". The operand
// is put into paths and property lists by a root process, so only a name
// isPlainCategoryName accepts is taken: UTF-8 text, one path component, no
// dot, no control character, no leading "-".

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace nestora::tool {

bool isValidCategoryOperand(std::string_view operand);

// The identifier for a valid operand. For anything else prints
// "ERROR: Invalid category name: <operand>" and returns none.
std::optional<std::string> identifierForCategoryOperand(std::FILE* out, std::string_view operand);

}  // namespace nestora::tool
