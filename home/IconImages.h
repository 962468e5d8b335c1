#pragma once

// The picture of a home-screen icon. Decoding is the costly part of showing
// a page, so cells call this only when they are first painted.

#include <QPixmap>

#include <optional>
#include <string>

#include "home/HomeIcon.h"

namespace nestora::home {

inline constexpr int kIconSize = 57;

// The icon, kIconSize points square: the theme's file when one is given and
// decodes, else the app's own (the model's icon lookup), else a plain tile
// with the first letter of the name, as for an icon file that is missing or
// is no image.
QPixmap iconImage(const HomeIcon& icon, const std::optional<std::string>& themeIconPath = std::nullopt);

// The tile shown for an app without a usable icon.
QPixmap placeholderIcon(const QString& name);

}  // namespace nestora::home
