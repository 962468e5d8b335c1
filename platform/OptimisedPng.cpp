#include "platform/OptimisedPng.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

namespace nestora::png {

namespace {

class RawInflater {
public:
    RawInflater() { ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
    ~RawInflater() {
        if (ready_) inflateEnd(&stream_);
    }
    RawInflater(const RawInflater&) = delete;
    RawInflater& operator=(const RawInflater&) = delete;

    // Inflates the pieces of one raw stream into exactly `size` bytes; none
    // when the stream is malformed or ends before that. The buffer grows
    // with what the stream gives, so a short file claiming a large picture
    // costs no more than it holds.
    std::optional<std::string> inflate(const std::vector<std::string_view>& pieces, std::size_t size) {
        if (!ready_ || size > UINT_MAX) {
            return std::nullopt;
        }
        std::string out;
        std::size_t produced = 0;
        const auto grow = [&] {
            out.resize(std::min(size, std::max<std::size_t>(out.size() * 2, 64 * 1024)));
            stream_.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
            stream_.avail_out = static_cast<uInt>(out.size() - produced);
        };
        grow();
        for (std::string_view piece : pieces) {
            stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
            stream_.avail_in = static_cast<uInt>(piece.size());  // a chunk is below 2^31 bytes
            while (stream_.avail_in > 0 && produced < size) {
                const int result = ::inflate(&stream_, Z_NO_FLUSH);
                produced = out.size() - stream_.avail_out;
                if (result == Z_STREAM_END) {
                    return produced == size ? std::optional(std::move(out)) : std::nullopt;
                }
                if (result != Z_OK) {
                    return std::nullopt;
                }
                if (stream_.avail_out == 0 && produced < size) {
                    grow();
                }
            }
            if (produced == size) {
                return out;  // all the header asks for; the rest is ignored
            }
        }
        return std::nullopt;
    }

private:
    z_stream stream_{};
    bool ready_ = false;
};

void appendBigEndian32(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

bool appendChunk(std::string& out, std::string_view type, std::string_view data) {
    if (data.size() > 0x7fffffffu) {
        return false;
    }
    appendBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out.size();
    out += type;
    out += data;
    const auto* checked = reinterpret_cast<const Bytef*>(out.data() + typeStart);
    appendBigEndian32(out, static_cast<std::uint32_t>(crc32_z(crc32_z(0L, Z_NULL, 0), checked, 4 + data.size())));
    return true;
}

// The filtered image data wrapped as a standard zlib stream. Stored, not
// compressed again: the decoder only reads it back, so copying is enough.
std::optional<std::string> zlibStored(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), Z_NO_COMPRESSION) != Z_OK) {
        return std::nullopt;
    }
    out.resize(size);
    return out;
}

std::uint8_t unpremultiplied(std::uint8_t value, std::uint8_t alpha) {
    const unsigned result = (value * 255u + alpha / 2u) / alpha;
    return static_cast<std::uint8_t>(result > 255u ? 255u : result);
}

}  // namespace

std::optional<std::string> standardFromOptimised(std::string_view bytes, const Header& header,
                                                 std::size_t dataLimit) {
    const auto size = filteredDataSize(header, dataLimit);
    const auto chunks = readChunks(bytes);
    if (!size || !chunks) {
        return std::nullopt;
    }
    std::vector<std::string_view> rawStream;
    for (const Chunk& chunk : *chunks) {
        if ((chunk.type == "CgBI" || chunk.type == "IDAT") && !chunk.checksumMatches) {
            return std::nullopt;
        }
        if (chunk.type == "IDAT") {
            rawStream.push_back(chunk.data);
        }
    }
    if (rawStream.empty()) {
        return std::nullopt;
    }
    const auto filtered = RawInflater().inflate(rawStream, *size);
    if (!filtered) {
        return std::nullopt;
    }
    const auto wrapped = zlibStored(*filtered);
    if (!wrapped) {
        return std::nullopt;
    }

    std::string out(kSignature);
    out.reserve(bytes.size() + wrapped->size());
    bool imageDataWritten = false;
    for (const Chunk& chunk : *chunks) {
        if (chunk.type == "CgBI") {
            continue;
        }
        if (chunk.type == "IDAT") {
            // All of the image data goes where its first chunk stood.
            if (!imageDataWritten && !appendChunk(out, "IDAT", *wrapped)) {
                return std::nullopt;
            }
            imageDataWritten = true;
            continue;
        }
        out += chunk.whole;
    }
    return out;
}

void restoreOptimisedPixels(std::span<std::uint8_t> rgba, std::uint8_t colourType) {
    const bool swapped = colourType == kTruecolour || colourType == kTruecolourAlpha;
    const bool premultiplied = colourType == kTruecolourAlpha || colourType == kGreyAlpha;
    if (!swapped && !premultiplied) {
        return;
    }
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        std::uint8_t* pixel = rgba.data() + i;
        if (swapped) {
            std::swap(pixel[0], pixel[2]);
        }
        if (premultiplied) {
            const std::uint8_t alpha = pixel[3];
            for (int c = 0; c < 3; ++c) {
                pixel[c] = alpha == 0 ? 0 : unpremultiplied(pixel[c], alpha);
            }
        }
    }
}

}  // namespace nestora::png
