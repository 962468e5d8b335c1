#include "platform/PngFile.h"

#include <zlib.h>

#include <array>

namespace nestora::png {

namespace {

constexpr std::size_t kChunkOverhead = 12;  // length, type, checksum
// The format caps every length at 2^31 - 1.
constexpr std::uint32_t kMaxLength = 0x7fffffffu;

bool checksumMatches(std::string_view typeAndData, std::uint32_t stored) {
    const auto* bytes = reinterpret_cast<const Bytef*>(typeAndData.data());
    return crc32_z(crc32_z(0L, Z_NULL, 0), bytes, typeAndData.size()) == stored;
}

// The chunk at the start of `rest`, or none when it does not fit.
std::optional<Chunk> chunkAt(std::string_view rest) {
    if (rest.size() < kChunkOverhead) {
        return std::nullopt;
    }
    const std::uint32_t length = readBigEndian32(rest);
    if (length > kMaxLength || length > rest.size() - kChunkOverhead) {
        return std::nullopt;
    }
    Chunk chunk;
    chunk.type = rest.substr(4, 4);
    chunk.data = rest.substr(8, length);
    chunk.whole = rest.substr(0, kChunkOverhead + length);
    chunk.checksumMatches = checksumMatches(rest.substr(4, 4 + length), readBigEndian32(rest.substr(8 + length)));
    return chunk;
}

bool validDepth(std::uint8_t colourType, std::uint8_t depth) {
    switch (colourType) {
    case kGrey:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case kPalette:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case kTruecolour:
    case kGreyAlpha:
    case kTruecolourAlpha:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

std::size_t samplesPerPixel(std::uint8_t colourType) {
    switch (colourType) {
    case kTruecolour:
        return 3;
    case kGreyAlpha:
        return 2;
    case kTruecolourAlpha:
        return 4;
    default:
        return 1;
    }
}

}  // namespace

std::uint32_t readBigEndian32(std::string_view bytes) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

bool hasSignature(std::string_view bytes) { return bytes.starts_with(kSignature); }

std::optional<std::vector<Chunk>> readChunks(std::string_view bytes) {
    if (!hasSignature(bytes)) {
        return std::nullopt;
    }
    std::vector<Chunk> chunks;
    std::string_view rest = bytes.substr(kSignature.size());
    while (!rest.empty()) {
        auto chunk = chunkAt(rest);
        if (!chunk) {
            return std::nullopt;
        }
        rest.remove_prefix(chunk->whole.size());
        chunks.push_back(*chunk);
        if (chunk->type == "IEND") {
            break;
        }
    }
    return chunks;
}

std::optional<Header> readHeader(std::string_view bytes) {
    if (!hasSignature(bytes)) {
        return std::nullopt;
    }
    Header header;
    std::string_view rest = bytes.substr(kSignature.size());
    auto chunk = chunkAt(rest);
    if (chunk && chunk->type == "CgBI") {
        if (!chunk->checksumMatches) {
            return std::nullopt;
        }
        header.optimised = true;
        rest.remove_prefix(chunk->whole.size());
        chunk = chunkAt(rest);
    }
    if (!chunk || chunk->type != "IHDR" || chunk->data.size() != 13 || !chunk->checksumMatches) {
        return std::nullopt;
    }
    const std::string_view data = chunk->data;
    header.width = readBigEndian32(data);
    header.height = readBigEndian32(data.substr(4));
    header.bitDepth = static_cast<std::uint8_t>(data[8]);
    header.colourType = static_cast<std::uint8_t>(data[9]);
    const auto compression = static_cast<std::uint8_t>(data[10]);
    const auto filter = static_cast<std::uint8_t>(data[11]);
    const auto interlace = static_cast<std::uint8_t>(data[12]);
    if (header.width == 0 || header.height == 0 || header.width > kMaxLength || header.height > kMaxLength ||
        !validDepth(header.colourType, header.bitDepth) || compression != 0 || filter != 0 || interlace > 1) {
        return std::nullopt;
    }
    header.interlaced = interlace == 1;
    return header;
}

std::optional<std::size_t> filteredDataSize(const Header& header, std::size_t limit) {
    struct Pass {
        std::uint32_t x0, y0, dx, dy;
    };
    // The seven passes of the interlaced layout; a plain image is one pass.
    static constexpr std::array<Pass, 7> kInterlacePasses{
        {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};
    static constexpr std::array<Pass, 1> kPlain{{{0, 0, 1, 1}}};
    const std::size_t bitsPerPixel = samplesPerPixel(header.colourType) * header.bitDepth;
    std::size_t total = 0;
    const auto add = [&](const Pass& pass) {
        if (header.width <= pass.x0 || header.height <= pass.y0) {
            return true;  // an empty pass has no rows, not even filter bytes
        }
        const std::size_t columns = (header.width - pass.x0 + pass.dx - 1) / pass.dx;
        const std::size_t rows = (header.height - pass.y0 + pass.dy - 1) / pass.dy;
        // Widths and heights are below 2^31 and a pixel is at most 64 bits:
        // a row fits a size_t; the product is checked.
        const std::size_t rowBytes = 1 + (columns * bitsPerPixel + 7) / 8;
        if (rows > (limit - total) / rowBytes) {
            return false;
        }
        total += rows * rowBytes;
        return true;
    };
    if (header.interlaced) {
        for (const Pass& pass : kInterlacePasses) {
            if (!add(pass)) return std::nullopt;
        }
    } else if (!add(kPlain[0])) {
        return std::nullopt;
    }
    return total;
}

}  // namespace nestora::png
