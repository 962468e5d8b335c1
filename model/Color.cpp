#include "model/Color.h"

#include <array>

namespace nestora::model {

namespace {

// The platform's named colours, in colour-code order. These eleven objects
// are the shared ones: their addresses are their identities.
const std::array<Color, 11> kNamedColors = {{
    {1.0, 1.0, 1.0, 1.0, "whiteColor"},
    {0.0, 0.0, 0.0, 1.0, "blackColor"},
    {1.0, 0.0, 0.0, 1.0, "redColor"},
    {0.0, 0.0, 1.0, 1.0, "blueColor"},
    {0.6, 0.4, 0.2, 1.0, "brownColor"},
    {0.0, 1.0, 1.0, 1.0, "cyanColor"},
    {0.5, 0.5, 0.5, 1.0, "grayColor"},
    {0.0, 1.0, 0.0, 1.0, "greenColor"},
    {1.0, 0.5, 0.0, 1.0, "orangeColor"},
    {0.5, 0.0, 0.5, 1.0, "purpleColor"},
    {1.0, 1.0, 0.0, 1.0, "yellowColor"},
}};

}  // namespace

const Color& Color::whiteColor() { return kNamedColors[0]; }
const Color& Color::blackColor() { return kNamedColors[1]; }
const Color& Color::redColor() { return kNamedColors[2]; }
const Color& Color::blueColor() { return kNamedColors[3]; }
const Color& Color::brownColor() { return kNamedColors[4]; }
const Color& Color::cyanColor() { return kNamedColors[5]; }
const Color& Color::grayColor() { return kNamedColors[6]; }
const Color& Color::greenColor() { return kNamedColors[7]; }
const Color& Color::orangeColor() { return kNamedColors[8]; }
const Color& Color::purpleColor() { return kNamedColors[9]; }
const Color& Color::yellowColor() { return kNamedColors[10]; }

bool Color::isSharedNamedColor() const {
    for (const Color& shared : kNamedColors) {
        if (this == &shared) {
            return true;
        }
    }
    return false;
}

}  // namespace nestora::model
