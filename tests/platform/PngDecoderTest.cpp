// Decoding PNG files in both forms against known pixels. The optimised files
// come from the tests' own converter (tests/support/TestPng), written from
// the public description of the form, not from the reader.

#include <gtest/gtest.h>

#include <string>

#include "platform/PngDecoder.h"
#include "platform/PngFile.h"
#include "tests/support/TestPng.h"

namespace nestora::png {
namespace {

using test::PngLayout;
using test::TestPicture;

constexpr int kMaxSide = 2048;

// The picture a layout can hold of `picture`: what a correct reader gives back.
TestPicture heldBy(const TestPicture& picture, PngLayout layout) {
    TestPicture out = picture;
    for (std::size_t i = 0; i < out.rgba.size(); i += 4) {
        std::uint8_t* p = out.rgba.data() + i;
        switch (layout) {
        case PngLayout::Rgb:
            p[3] = 255;
            break;
        case PngLayout::Grey:
            p[0] = p[2] = p[1];
            p[3] = 255;
            break;
        case PngLayout::GreyAlpha:
            p[0] = p[2] = p[1];
            break;
        default:
            break;
        }
    }
    return out;
}

::testing::AssertionResult samePixels(const std::optional<RgbaImage>& image, const TestPicture& expected,
                                      int tolerance = 0) {
    if (!image) {
        return ::testing::AssertionFailure() << "no image";
    }
    if (image->width != expected.width || image->height != expected.height) {
        return ::testing::AssertionFailure() << "size " << image->width << "x" << image->height;
    }
    for (std::size_t i = 0; i < expected.rgba.size(); ++i) {
        const int difference = int{image->pixels[i]} - int{expected.rgba[i]};
        if (difference > tolerance || difference < -tolerance) {
            const std::size_t pixel = i / 4;
            return ::testing::AssertionFailure()
                   << "pixel (" << pixel % expected.width << ", " << pixel / expected.width << ") sample " << i % 4
                   << ": " << int{image->pixels[i]} << ", expected " << int{expected.rgba[i]};
        }
    }
    return ::testing::AssertionSuccess();
}

struct Variant {
    const char* name;
    PngLayout layout;
    bool interlaced;
};

constexpr Variant kVariants[] = {
    {"RGBA", PngLayout::Rgba, false},
    {"RGBA interlaced", PngLayout::Rgba, true},
    {"RGB", PngLayout::Rgb, false},
    {"RGB interlaced", PngLayout::Rgb, true},
    {"palette", PngLayout::Palette, false},
    {"palette interlaced", PngLayout::Palette, true},
    {"grey", PngLayout::Grey, false},
    {"grey and alpha", PngLayout::GreyAlpha, true},
};

TEST(PngDecoder, StandardFilesOfEveryLayoutGiveTheirPixels) {
    // Odd sizes leave some interlace passes narrow or empty.
    for (const auto& [width, height] : {std::pair{9, 7}, std::pair{1, 1}, std::pair{3, 10}}) {
        const TestPicture picture = test::patternPicture(width, height, true);
        for (const Variant& variant : kVariants) {
            const std::string file = test::standardPng(picture, {variant.layout, variant.interlaced});
            ASSERT_FALSE(file.empty()) << variant.name;
            EXPECT_TRUE(samePixels(decode(file, kMaxSide), heldBy(picture, variant.layout)))
                << variant.name << " " << width << "x" << height;
            const auto header = readHeader(file);
            ASSERT_TRUE(header.has_value()) << variant.name;
            EXPECT_FALSE(header->optimised);
            EXPECT_EQ(header->width, static_cast<std::uint32_t>(width));
        }
    }
}

TEST(PngDecoder, OptimisedFilesOfEveryLayoutGiveTheirPixelsAsThePhoneShowsThem) {
    for (const auto& [width, height] : {std::pair{9, 7}, std::pair{1, 1}, std::pair{3, 10}}) {
        const TestPicture picture = test::patternPicture(width, height, true);
        for (const Variant& variant : kVariants) {
            const auto file = test::optimisedPng(test::standardPng(picture, {variant.layout, variant.interlaced}));
            ASSERT_TRUE(file.has_value()) << variant.name;
            // Colour that was stored premultiplied comes back rounded through
            // it; palette colours are stored as they are.
            TestPicture expected = heldBy(picture, variant.layout);
            if (variant.layout == PngLayout::Rgba || variant.layout == PngLayout::GreyAlpha) {
                expected = test::throughPremultiplication(expected);
            }
            EXPECT_TRUE(samePixels(decode(*file, kMaxSide), expected)) << variant.name << " " << width << "x" << height;
            const auto header = readHeader(*file);
            ASSERT_TRUE(header.has_value()) << variant.name;
            EXPECT_TRUE(header->optimised);
            EXPECT_EQ(header->height, static_cast<std::uint32_t>(height));
        }
    }
}

TEST(PngDecoder, OptimisedFilesWithSixteenBitsOrManyDataChunksDecode) {
    const TestPicture opaque = test::patternPicture(12, 5, false);
    // Image data cut into chunks of seven bytes: one stream across them all.
    const auto cut = test::optimisedPng(test::standardPng(opaque), {.imageChunkBytes = 7});
    ASSERT_TRUE(cut.has_value());
    EXPECT_GT(test::pngChunks(*cut).size(), 10u);
    EXPECT_TRUE(samePixels(decode(*cut, kMaxSide), opaque));

    const TestPicture picture = test::patternPicture(6, 6, true);
    const auto deep = test::optimisedPng(test::standardPng(picture, {PngLayout::Rgba16, false}));
    ASSERT_TRUE(deep.has_value());
    // Premultiplied in sixteen bits, read back in eight: within one step.
    EXPECT_TRUE(samePixels(decode(*deep, kMaxSide), test::throughPremultiplication(picture), 1));
}

TEST(PngDecoder, TheHeaderIsReadFromTheFirstBytesAlone) {
    const auto file = test::optimisedPng(test::standardPng(test::patternPicture(114, 57, false)));
    ASSERT_TRUE(file.has_value());
    const auto header = readHeader(file->substr(0, kHeaderReadBytes));
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->width, 114u);
    EXPECT_EQ(header->height, 57u);
    EXPECT_TRUE(header->optimised);
    EXPECT_FALSE(readHeader(file->substr(0, kHeaderReadBytes - 1)).has_value());
}

// Every way the bytes can be damaged gives no image and nothing worse.
TEST(PngDecoder, DamagedFilesGiveNoImage) {
    const TestPicture picture = test::patternPicture(9, 7, true);
    const std::string standard = test::standardPng(picture);
    const std::string optimised = *test::optimisedPng(standard, {.imageChunkBytes = 40});
    ASSERT_TRUE(decode(optimised, kMaxSide).has_value());

    const auto withChunk = [](const std::string& file, const std::string& type, auto change) {
        auto chunks = test::pngChunks(file);
        for (auto& chunk : chunks) {
            if (chunk.type == type) {
                change(chunk);
                break;
            }
        }
        return test::pngFromChunks(chunks);
    };
    const auto badCrc = [](test::TestChunk& chunk) { chunk.crc ^= 1; };
    for (const char* type : {"CgBI", "IHDR", "IDAT"}) {
        EXPECT_FALSE(decode(withChunk(optimised, type, badCrc), kMaxSide).has_value()) << "optimised " << type;
    }
    for (const char* type : {"IHDR", "IDAT"}) {
        EXPECT_FALSE(decode(withChunk(standard, type, badCrc), kMaxSide).has_value()) << "standard " << type;
    }

    // A stream that is not raw deflate, with a checksum that matches: the
    // standard, zlib-wrapped data under a CgBI chunk, and noise.
    auto standardChunks = test::pngChunks(standard);
    auto chunks = test::pngChunks(optimised);
    std::erase_if(chunks, [](const test::TestChunk& c) { return c.type == "IDAT"; });
    for (const auto& chunk : standardChunks) {
        if (chunk.type == "IDAT") chunks.insert(chunks.end() - 1, chunk);
    }
    EXPECT_FALSE(decode(test::pngFromChunks(chunks), kMaxSide).has_value()) << "zlib-wrapped";
    const auto noise = [](test::TestChunk& chunk) {
        for (std::size_t i = 0; i < chunk.data.size(); ++i) chunk.data[i] = static_cast<char>(0xff - i * 7);
        chunk.crc = test::chunkCrc(chunk.type, chunk.data);
    };
    EXPECT_FALSE(decode(withChunk(optimised, "IDAT", noise), kMaxSide).has_value()) << "noise";

    // A header asking for more rows than the stream holds.
    const auto taller = [](test::TestChunk& chunk) {
        chunk.data[7] = 8;  // height 7 -> 8
        chunk.crc = test::chunkCrc(chunk.type, chunk.data);
    };
    EXPECT_FALSE(decode(withChunk(optimised, "IHDR", taller), kMaxSide).has_value()) << "short stream";

    // Cut anywhere before the end of its image data, the file shows nothing;
    // cut after it (only the end marker lost), it shows the whole picture.
    const auto all = test::pngChunks(optimised);
    const std::size_t endOfData = optimised.size() - 12;  // the end chunk is last
    for (std::size_t length = 0; length < optimised.size(); ++length) {
        const auto image = decode(optimised.substr(0, length), kMaxSide);
        if (length < endOfData) {
            EXPECT_FALSE(image.has_value()) << "cut at " << length;
        }
    }
    EXPECT_TRUE(decode(optimised.substr(0, endOfData), kMaxSide).has_value());
    EXPECT_FALSE(all.empty());

    EXPECT_FALSE(decode("", kMaxSide).has_value());
    EXPECT_FALSE(decode("\x89PNG\r\n\x1a\n", kMaxSide).has_value());
    EXPECT_FALSE(decode("GIF89a", kMaxSide).has_value());
}

TEST(PngDecoder, PicturesLargerThanTheLimitAreRefusedBeforeDecoding) {
    const TestPicture picture = test::patternPicture(20, 10, false);
    for (bool optimise : {false, true}) {
        std::string file = test::standardPng(picture);
        if (optimise) file = *test::optimisedPng(file);
        EXPECT_TRUE(decode(file, 20).has_value());
        EXPECT_FALSE(decode(file, 19).has_value()) << optimise;
        EXPECT_FALSE(decode(file, 0).has_value()) << optimise;
    }
    // A header claiming the largest size the format allows, in a file of a
    // few dozen bytes: refused from the header, nothing allocated for it.
    auto chunks = test::pngChunks(*test::optimisedPng(test::standardPng(picture)));
    for (auto& chunk : chunks) {
        if (chunk.type != "IHDR") continue;
        for (int i : {0, 4}) chunk.data.replace(i, 4, std::string("\x7f\xff\xff\xff", 4));
        chunk.crc = test::chunkCrc(chunk.type, chunk.data);
    }
    const std::string huge = test::pngFromChunks(chunks);
    ASSERT_TRUE(readHeader(huge).has_value());
    EXPECT_EQ(readHeader(huge)->width, 0x7fffffffu);
    EXPECT_FALSE(decode(huge, kMaxSide).has_value());
    EXPECT_FALSE(decode(huge, 0x7fffffff).has_value());
}

}  // namespace
}  // namespace nestora::png
