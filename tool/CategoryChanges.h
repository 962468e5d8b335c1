#pragma once

// The changing operations on one existing category: delete (giving its apps
// back to the home screen), and set icon. Rename is renameCategory in
// CategoryStore.h. Each refuses a bundle that is no category
// (CategoryIdentity.h) before it touches anything.

#include <cstddef>
#include <string_view>

#include "tool/ToolContext.h"

namespace nestora::tool {

// Icons are small images; anything larger is refused before it is read.
inline constexpr std::size_t kMaxIconBytes = 16 * 1024 * 1024;

// deleteCategory (--delete): un-hides the items when the category has a
// preferences file, then removes the bundle and the preferences file. A
// preferences file that cannot be read stops it before anything changes,
// with "ERROR: Unable to read preferences for <identifier>": its apps would
// stay hidden with no category holding them.
bool deleteCategory(const ToolContext& context, std::string_view identifier);

// unhideCategoryItems: un-hides every item in list order, then removes
// "items" from the category's preferences file. False, with a message, when
// the file cannot be read (nothing is un-hidden) or saved.
bool unhideCategoryItems(const ToolContext& context, std::string_view identifier);

// True when the bytes start with the 8-byte PNG signature.
bool hasPngSignature(std::string_view bytes);

// setCategoryIcon (--icon): the source is read with the invoking user's
// rights and must be a PNG image; it replaces icon.png through a temporary
// file, so any failure leaves the current icon as it was.
bool setCategoryIcon(const ToolContext& context, std::string_view identifier, std::string_view sourcePath);

// The second half of setCategoryIcon: the bytes, already read and known to
// be a PNG image, become the category's icon.png.
bool writeCategoryIcon(std::FILE* out, std::string_view identifier, std::string_view bytes);

}  // namespace nestora::tool
