#include "tests/support/TestPng.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace nestora::test {

namespace {

std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

void appendBigEndian32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xff);
    }
}

void appendChunk(std::string& out, std::string_view type, std::string_view data) {
    appendBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    out += type;
    out += data;
    appendBigEndian32(out, chunkCrc(type, data));
}

// libpng reports errors by a jump: these frames hold nothing with a
// destructor.
[[noreturn]] void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

void appendToString(png_structp png, png_bytep data, std::size_t size) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), size);
}
void flushNothing(png_structp) {}

struct Encoded {
    int colourType = 0;
    int bitDepth = 8;
    std::size_t bytesPerPixel = 4;
    std::vector<std::uint8_t> samples;  // rows of raw samples
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;
};

Encoded encode(const TestPicture& picture, PngLayout layout) {
    Encoded out;
    std::map<std::array<std::uint8_t, 4>, int> paletteIndex;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = picture.pixel(x, y);
            switch (layout) {
            case PngLayout::Rgba:
                out.samples.insert(out.samples.end(), p, p + 4);
                break;
            case PngLayout::Rgba16:
                for (int c = 0; c < 4; ++c) {
                    out.samples.push_back(p[c]);  // v * 257: both bytes v
                    out.samples.push_back(p[c]);
                }
                break;
            case PngLayout::Rgb:
                out.samples.insert(out.samples.end(), p, p + 3);
                break;
            case PngLayout::Grey:
                out.samples.push_back(p[1]);
                break;
            case PngLayout::GreyAlpha:
                out.samples.push_back(p[1]);
                out.samples.push_back(p[3]);
                break;
            case PngLayout::Palette: {
                const std::array<std::uint8_t, 4> colour{p[0], p[1], p[2], p[3]};
                auto [it, added] = paletteIndex.try_emplace(colour, static_cast<int>(out.palette.size()));
                if (added) {
                    out.palette.push_back(png_color{p[0], p[1], p[2]});
                    out.paletteAlpha.push_back(p[3]);
                }
                out.samples.push_back(static_cast<std::uint8_t>(it->second));
                break;
            }
            }
        }
    }
    switch (layout) {
    case PngLayout::Rgba:
        out.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
        break;
    case PngLayout::Rgba16:
        out.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
        out.bitDepth = 16;
        out.bytesPerPixel = 8;
        break;
    case PngLayout::Rgb:
        out.colourType = PNG_COLOR_TYPE_RGB;
        out.bytesPerPixel = 3;
        break;
    case PngLayout::Grey:
        out.colourType = PNG_COLOR_TYPE_GRAY;
        out.bytesPerPixel = 1;
        break;
    case PngLayout::GreyAlpha:
        out.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
        out.bytesPerPixel = 2;
        break;
    case PngLayout::Palette:
        out.colourType = PNG_COLOR_TYPE_PALETTE;
        out.bytesPerPixel = 1;
        break;
    }
    return out;
}

bool writeWithLibpng(png_structp png, png_infop info, const TestPicture& picture, const Encoded& encoded,
                     bool interlaced, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 encoded.bitDepth, encoded.colourType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!encoded.palette.empty()) {
        png_set_PLTE(png, info, encoded.palette.data(), static_cast<int>(encoded.palette.size()));
        png_set_tRNS(png, info, encoded.paletteAlpha.data(), static_cast<int>(encoded.paletteAlpha.size()), nullptr);
    }
    png_write_info(png, info);
    png_set_interlace_handling(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

struct RawImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitDepth = 0;
    int colourType = 0;
    bool interlaced = false;
    std::size_t bytesPerPixel = 0;
    std::vector<std::uint8_t> samples;
};

struct MemoryInput {
    std::string_view bytes;
    std::size_t offset = 0;
};

void readFromMemory(png_structp png, png_bytep out, std::size_t count) {
    auto* input = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (count > input->bytes.size() - input->offset) {
        png_error(png, "truncated");
    }
    std::copy_n(input->bytes.data() + input->offset, count, reinterpret_cast<char*>(out));
    input->offset += count;
}

bool readHeaderWithLibpng(png_structp png, png_infop info, MemoryInput* input) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_read_fn(png, input, readFromMemory);
    png_read_info(png, info);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool readRowsWithLibpng(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_image(png, rows);
    return true;
}

// The raw samples of a standard file, every pass put in its place.
std::optional<RawImage> readRaw(std::string_view file) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    png_infop info = png_create_info_struct(png);
    MemoryInput input{file};
    std::optional<RawImage> result;
    if (readHeaderWithLibpng(png, info, &input)) {
        RawImage raw;
        raw.width = png_get_image_width(png, info);
        raw.height = png_get_image_height(png, info);
        raw.bitDepth = png_get_bit_depth(png, info);
        raw.colourType = png_get_color_type(png, info);
        raw.interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
        raw.bytesPerPixel = png_get_channels(png, info) * static_cast<std::size_t>(raw.bitDepth) / 8;
        if (raw.bitDepth >= 8) {
            const std::size_t rowBytes = png_get_rowbytes(png, info);
            raw.samples.resize(rowBytes * raw.height);
            std::vector<png_bytep> rows(raw.height);
            for (std::uint32_t y = 0; y < raw.height; ++y) {
                rows[y] = raw.samples.data() + y * rowBytes;
            }
            if (readRowsWithLibpng(png, rows.data())) {
                result = std::move(raw);
            }
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

// The form's own sample order and premultiplication, in place.
void toOptimisedSamples(RawImage& raw) {
    const bool truecolour = raw.colourType == PNG_COLOR_TYPE_RGB || raw.colourType == PNG_COLOR_TYPE_RGB_ALPHA;
    const bool alpha = raw.colourType == PNG_COLOR_TYPE_RGB_ALPHA || raw.colourType == PNG_COLOR_TYPE_GRAY_ALPHA;
    const std::size_t sampleBytes = static_cast<std::size_t>(raw.bitDepth) / 8;
    const std::size_t samples = raw.bytesPerPixel / sampleBytes;
    const auto get = [&](const std::uint8_t* at) {
        return sampleBytes == 1 ? std::uint32_t{at[0]} : std::uint32_t{at[0]} << 8 | at[1];
    };
    const auto put = [&](std::uint8_t* at, std::uint32_t value) {
        if (sampleBytes == 1) {
            at[0] = static_cast<std::uint8_t>(value);
        } else {
            at[0] = static_cast<std::uint8_t>(value >> 8);
            at[1] = static_cast<std::uint8_t>(value);
        }
    };
    const std::uint32_t full = sampleBytes == 1 ? 255 : 65535;
    for (std::size_t i = 0; i + raw.bytesPerPixel <= raw.samples.size(); i += raw.bytesPerPixel) {
        std::uint8_t* pixel = raw.samples.data() + i;
        if (alpha) {
            const std::uint32_t a = get(pixel + (samples - 1) * sampleBytes);
            for (std::size_t c = 0; c + 1 < samples; ++c) {
                put(pixel + c * sampleBytes, (get(pixel + c * sampleBytes) * a + full / 2) / full);
            }
        }
        if (truecolour) {
            std::swap_ranges(pixel, pixel + sampleBytes, pixel + 2 * sampleBytes);
        }
    }
}

// Filter type 0 ("none") before every row of every pass.
std::string filteredRows(const RawImage& raw) {
    struct Pass {
        std::uint32_t x0, y0, dx, dy;
    };
    const std::vector<Pass> passes = raw.interlaced
        ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
        : std::vector<Pass>{{0, 0, 1, 1}};
    const std::size_t rowBytes = raw.width * raw.bytesPerPixel;
    std::string out;
    for (const Pass& pass : passes) {
        if (pass.x0 >= raw.width) continue;
        for (std::uint32_t y = pass.y0; y < raw.height; y += pass.dy) {
            out += '\0';
            for (std::uint32_t x = pass.x0; x < raw.width; x += pass.dx) {
                const auto* pixel = raw.samples.data() + y * rowBytes + x * raw.bytesPerPixel;
                out.append(reinterpret_cast<const char*>(pixel), raw.bytesPerPixel);
            }
        }
    }
    return out;
}

std::string deflateRaw(const std::string& data) {
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

}  // namespace

std::uint32_t chunkCrc(std::string_view type, std::string_view data) {
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(type.data()), static_cast<uInt>(type.size()));
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    return static_cast<std::uint32_t>(crc);
}

TestPicture patternPicture(int width, int height, bool withAlpha) {
    TestPicture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x * 37 + y * 11);
            p[1] = static_cast<std::uint8_t>(x * 5 + y * 71 + 3);
            p[2] = static_cast<std::uint8_t>((x * 13) ^ (y * 29));
            static constexpr std::uint8_t kAlphas[] = {0, 128, 51, 255, 255};
            p[3] = withAlpha ? kAlphas[(x + y) % 5] : 255;
        }
    }
    return picture;
}

std::string standardPng(const TestPicture& picture, PngOptions options) {
    const Encoded encoded = encode(picture, options.layout);
    std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * encoded.bytesPerPixel;
    for (int y = 0; y < picture.height; ++y) {
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(encoded.samples.data() + y * rowBytes);
    }
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendToString, flushNothing);
    const bool written = writeWithLibpng(png, info, picture, encoded, options.interlaced, rows.data());
    png_destroy_write_struct(&png, &info);
    return written ? out : std::string();
}

std::optional<std::string> optimisedPng(std::string_view standardFile, OptimiseOptions options) {
    auto raw = readRaw(standardFile);
    if (!raw) {
        return std::nullopt;
    }
    toOptimisedSamples(*raw);
    const std::string stream = deflateRaw(filteredRows(*raw));

    std::string out("\x89PNG\r\n\x1a\n", 8);
    // The four bytes the build tools put in it; readers only look for the chunk.
    appendChunk(out, "CgBI", std::string_view("\x50\x00\x20\x06", 4));
    for (const TestChunk& chunk : pngChunks(standardFile)) {
        if (chunk.type == "IDAT" || chunk.type == "IEND") continue;
        appendChunk(out, chunk.type, chunk.data);
    }
    for (std::size_t at = 0; at < stream.size(); at += options.imageChunkBytes) {
        appendChunk(out, "IDAT", std::string_view(stream).substr(at, options.imageChunkBytes));
    }
    appendChunk(out, "IEND", "");
    return out;
}

TestPicture throughPremultiplication(const TestPicture& picture) {
    TestPicture out = picture;
    for (std::size_t i = 0; i < out.rgba.size(); i += 4) {
        const unsigned a = out.rgba[i + 3];
        for (int c = 0; c < 3; ++c) {
            if (a == 0) {
                out.rgba[i + c] = 0;
                continue;
            }
            const unsigned premultiplied = (out.rgba[i + c] * a + 127) / 255;
            out.rgba[i + c] = static_cast<std::uint8_t>(std::min(255u, (premultiplied * 255 + a / 2) / a));
        }
    }
    return out;
}

std::vector<TestChunk> pngChunks(std::string_view file) {
    std::vector<TestChunk> chunks;
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::uint32_t length = bigEndian32(file, at);
        if (length > file.size() - at - 12) break;
        chunks.push_back({std::string(file.substr(at + 4, 4)), std::string(file.substr(at + 8, length)),
                          bigEndian32(file, at + 8 + length)});
        at += 12 + length;
    }
    return chunks;
}

std::string pngFromChunks(const std::vector<TestChunk>& chunks) {
    std::string out("\x89PNG\r\n\x1a\n", 8);
    for (const TestChunk& chunk : chunks) {
        appendBigEndian32(out, static_cast<std::uint32_t>(chunk.data.size()));
        out += chunk.type;
        out += chunk.data;
        appendBigEndian32(out, chunk.crc);
    }
    return out;
}

}  // namespace nestora::test
