#pragma once

// PNG files for tests, made from known pixels: standard files written by
// libpng, and the optimised form the phone's build tools write, made from a
// standard file by a converter of our own that follows the public
// description of that form (and shares no code with the reader under test):
//  - a "CgBI" chunk before the header;
//  - the image data deflated raw, without zlib's header and checksum;
//  - truecolour samples stored blue, green, red; colour premultiplied by
//    alpha where there is alpha; palette and grey samples as they are.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nestora::test {

// A picture: four bytes per pixel (red, green, blue, alpha), rows top down.
struct TestPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    std::uint8_t* pixel(int x, int y) { return rgba.data() + (static_cast<std::size_t>(y) * width + x) * 4; }
    const std::uint8_t* pixel(int x, int y) const {
        return rgba.data() + (static_cast<std::size_t>(y) * width + x) * 4;
    }
};

// A picture whose every pixel differs from its neighbours, with some
// transparent and some half-transparent pixels when `withAlpha`.
TestPicture patternPicture(int width, int height, bool withAlpha);

enum class PngLayout {
    Rgba,     // truecolour with alpha, eight bits
    Rgba16,   // truecolour with alpha, sixteen bits
    Rgb,      // truecolour without alpha (the picture's alpha is dropped)
    Palette,  // palette of the picture's colours, with a transparency chunk
    Grey,     // grey from the picture's green, no alpha
    GreyAlpha,
};

struct PngOptions {
    PngLayout layout = PngLayout::Rgba;
    bool interlaced = false;
};

// A standard PNG file of the picture, written by libpng.
std::string standardPng(const TestPicture& picture, PngOptions options = {});

struct OptimiseOptions {
    // The deflated image data is cut into chunks of at most this many bytes.
    std::size_t imageChunkBytes = 1 << 20;
};

// The optimised form of a standard PNG file (eight or sixteen bits per
// sample); none for anything else.
std::optional<std::string> optimisedPng(std::string_view standardFile, OptimiseOptions options = {});

// What a picture looks like once it has been stored premultiplied (eight
// bits) and read back: colour rounded through the premultiplication,
// transparent pixels black.
TestPicture throughPremultiplication(const TestPicture& picture);

// Chunk surgery for broken variants.
struct TestChunk {
    std::string type;
    std::string data;
    std::uint32_t crc = 0;  // as stored
};
std::vector<TestChunk> pngChunks(std::string_view file);
std::string pngFromChunks(const std::vector<TestChunk>& chunks);
std::uint32_t chunkCrc(std::string_view type, std::string_view data);

}  // namespace nestora::test
