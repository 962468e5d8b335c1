#pragma once

// Decoding PNG files, standard or optimised, into plain pixels. libpng reads
// the standard stream (an optimised file is first rewritten into one,
// OptimisedPng.h); it checks every chunk's checksum the way it does for any
// file: a damaged critical chunk refuses the image, a damaged ancillary one
// is skipped.
//
// The input is outside bytes. The header's size decides before any pixel is
// decoded, and ancillary chunks that could make the decoder allocate much
// (text, colour profiles) are skipped unread.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/PngFile.h"

namespace nestora::png {

// Rows top to bottom, four bytes per pixel: red, green, blue and alpha, the
// colour not premultiplied, eight bits each.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// The picture of a PNG file in either form; none when the bytes are no PNG,
// are damaged, or the picture is wider or higher than `maxSide` pixels.
std::optional<RgbaImage> decode(std::string_view bytes, int maxSide);

}  // namespace nestora::png
