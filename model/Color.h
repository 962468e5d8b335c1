#pragma once

// The platform's eleven named colours, as a plain colour type that knows
// nothing of any UI kit (the screens turn it into their own colour type).
// Each named colour is one shared object for the life of the program, and
// the colour-code mapping compares colours by identity, as the launcher's
// settings screens always did: a colour that merely has the same components
// as a named one is not that colour.

#include <string_view>

namespace nestora::model {

struct Color {
    // Components from 0 to 1.
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    // The platform's name of a shared colour ("purpleColor"); empty for
    // colours built by hand.
    std::string_view name;

    // The shared named colours. Each call returns the same object.
    static const Color& whiteColor();
    static const Color& blackColor();
    static const Color& redColor();
    static const Color& blueColor();
    static const Color& brownColor();
    static const Color& cyanColor();
    static const Color& grayColor();
    static const Color& greenColor();
    static const Color& orangeColor();
    static const Color& purpleColor();
    static const Color& yellowColor();

    // True when this is one of the shared objects above.
    bool isSharedNamedColor() const;
};

}  // namespace nestora::model
