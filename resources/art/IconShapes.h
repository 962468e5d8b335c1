#pragma once

// The pictures on the icons we draw, each a shape made of paths (never a
// font's glyph), by name: those of the app bundle's own icons and those of
// the sample device's apps.

#include <map>
#include <optional>
#include <string_view>

#include "resources/art/GlossyIcon.h"

namespace nestora::art {

using ShapeTable = std::map<std::string_view, Shape>;

// "gamepad", "notes", "smile", "envelope", "plane", "sun", "gear", "star",
// "heart", "handset", "pencil", "dollar", "newspaper", "flower", "clock",
// "flag", "question".
const ShapeTable& bundleShapes();
// "compass", "notepad", "calendar", "bubble", "pin", "chart", "keypad",
// "camera", "bird", "tank", "cloud", "grid".
const ShapeTable& appShapes();

// A shape of either table; none for a name neither has.
std::optional<Shape> shapeNamed(std::string_view name);

}  // namespace nestora::art
