// The PNG reader, standard and optimised form. A mutated file almost never
// keeps its chunk checksums, so each input is also decoded with every
// checksum made right again: the fuzzer then reaches the raw stream, the
// rewriting and libpng behind them.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/PngDecoder.h"
#include "platform/PngFile.h"

namespace {

constexpr int kMaxSide = 512;

std::string withChecksumsMended(std::string bytes) {
    std::size_t at = nestora::png::kSignature.size();
    while (bytes.starts_with(nestora::png::kSignature) && at + 12 <= bytes.size()) {
        const std::uint32_t length = nestora::png::readBigEndian32(std::string_view(bytes).substr(at));
        if (length > bytes.size() - at - 12) break;
        const auto* typeAndData = reinterpret_cast<const Bytef*>(bytes.data() + at + 4);
        const auto crc = static_cast<std::uint32_t>(crc32_z(crc32_z(0L, Z_NULL, 0), typeAndData, 4 + length));
        for (int i = 0; i < 4; ++i) {
            bytes[at + 8 + length + i] = static_cast<char>(crc >> (24 - 8 * i));
        }
        at += 12 + length;
    }
    return bytes;
}

void check(std::string_view bytes) {
    const auto image = nestora::png::decode(bytes, kMaxSide);
    if (!image) return;
    const auto header = nestora::png::readHeader(bytes);
    if (!header || image->width <= 0 || image->height <= 0 || image->width > kMaxSide || image->height > kMaxSide ||
        static_cast<std::uint32_t>(image->width) != header->width ||
        static_cast<std::uint32_t>(image->height) != header->height ||
        image->pixels.size() != static_cast<std::size_t>(image->width) * image->height * 4) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    check(bytes);
    check(withChecksumsMended(bytes));
    return 0;
}
