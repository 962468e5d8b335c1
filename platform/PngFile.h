#pragma once

// The layout of a PNG file: the signature, the chunks with their checksums,
// and the header. Both forms are read: the standard one, and the optimised
// one the phone's build tools write, which puts a "CgBI" chunk before the
// header (OptimisedPng.h says what else differs).
//
// Everything here reads outside bytes: lengths are checked against what is
// there before anything is taken, and nothing is copied.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace nestora::png {

inline constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
// Signature, CgBI chunk (12 + 4 bytes) and header chunk (12 + 13 bytes):
// what readHeader needs of a file at most.
inline constexpr std::size_t kHeaderReadBytes = 8 + 16 + 25;

bool hasSignature(std::string_view bytes);

// One chunk as it stands in the file: `data` points into the bytes read.
struct Chunk {
    std::string_view type;    // four letters
    std::string_view data;
    std::string_view whole;   // length, type, data and checksum
    bool checksumMatches = false;
};

// The chunks after the signature, up to and including "IEND" (or the end of
// the bytes when there is none). None when the bytes do not start with the
// signature, or a chunk's length runs past the end of the bytes.
std::optional<std::vector<Chunk>> readChunks(std::string_view bytes);

// Colour types of the header.
enum ColourType : std::uint8_t {
    kGrey = 0,
    kTruecolour = 2,
    kPalette = 3,
    kGreyAlpha = 4,
    kTruecolourAlpha = 6,
};

struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;
    std::uint8_t colourType = 0;
    bool interlaced = false;
    bool optimised = false;  // a "CgBI" chunk comes first
};

// The header of a standard or optimised file, from its first
// kHeaderReadBytes bytes (more are ignored). None unless the signature, the
// optional CgBI chunk and a header chunk with a matching checksum and a
// valid combination of fields come first.
std::optional<Header> readHeader(std::string_view bytes);

// Bytes of filtered image data the header calls for: one filter byte per
// row, of every interlace pass. None when it would not fit in `limit`.
std::optional<std::size_t> filteredDataSize(const Header& header, std::size_t limit);

// The big-endian 32-bit number at the start of `bytes` (at least 4 long).
std::uint32_t readBigEndian32(std::string_view bytes);

}  // namespace nestora::png
