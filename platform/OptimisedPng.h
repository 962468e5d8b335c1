#pragma once

// The optimised PNG form that the phone's build tools write into every app
// bundle, and that the phone's image class reads:
//  - a "CgBI" chunk comes before the header;
//  - the image data is a raw deflate stream, without the zlib header and
//    checksum that a standard file wraps it in;
//  - truecolour samples are stored blue, green, red (and alpha), and where
//    there is alpha the colour samples are premultiplied by it.
// Palette and grey samples carry no colour order and are stored as usual.
//
// Such a file is read by rewriting it into a standard PNG stream, which the
// decoder reads like any other, and then putting its pixels back in order.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/PngFile.h"

namespace nestora::png {

// The standard PNG stream for an optimised file whose header is `header`:
// the CgBI chunk left out, the image data inflated and stored again as one
// zlib-wrapped chunk, every other chunk copied as it is (the decoder checks
// their checksums as for any file). None when a chunk does not fit, the
// checksum of the CgBI chunk or of an image data chunk does not match, the
// raw stream is malformed or holds less than the header calls for, or that
// is more than `dataLimit` bytes. Data past what the header calls for is
// ignored, as a standard reader ignores it.
std::optional<std::string> standardFromOptimised(std::string_view bytes, const Header& header, std::size_t dataLimit);

// Puts the decoded pixels of an optimised file of `colourType` back in the
// order and form of a standard file: red and blue swapped back for
// truecolour, the premultiplication undone where there is alpha. `rgba` is
// the decoded image, four bytes (red, green, blue, alpha) per pixel.
void restoreOptimisedPixels(std::span<std::uint8_t> rgba, std::uint8_t colourType);

}  // namespace nestora::png
