#include "platform/PngDecoder.h"

#include <png.h>

#include <cstring>
#include <limits>
#include <string>

#include "platform/OptimisedPng.h"

namespace nestora::png {

namespace {

// Ancillary chunks nobody here uses, skipped unread (so no text or profile is
// ever inflated): five bytes per name.
constexpr png_byte kSkippedChunks[] =
    "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";
constexpr int kSkippedChunkCount = sizeof kSkippedChunks / 5;

struct MemoryInput {
    std::string_view bytes;
    std::size_t offset = 0;
};

void readFromMemory(png_structp png, png_bytep out, std::size_t count) {
    auto* input = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (count > input->bytes.size() - input->offset) {
        png_error(png, "truncated");
    }
    std::memcpy(out, input->bytes.data() + input->offset, count);
    input->offset += count;
}

[[noreturn]] void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

class ReadStruct {
public:
    ReadStruct() {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
        if (png_ != nullptr) {
            info_ = png_create_info_struct(png_);
        }
    }
    ~ReadStruct() {
        if (png_ != nullptr) {
            png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
        }
    }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// libpng leaves these two by a jump when the input is bad: nothing in their
// frames has a destructor for the jump to skip.

bool readInfo(png_structp png, png_infop info, MemoryInput* input, int maxSide) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_read_fn(png, input, readFromMemory);
    png_set_user_limits(png, static_cast<png_uint_32>(maxSide), static_cast<png_uint_32>(maxSide));
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, kSkippedChunkCount);
    png_read_info(png, info);
    // Whatever the file holds becomes eight-bit red, green, blue and alpha.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool readRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_image(png, rows);
    return true;
}

std::optional<RgbaImage> decodeStandard(std::string_view bytes, int maxSide) {
    ReadStruct read;
    if (read.png() == nullptr || read.info() == nullptr) {
        return std::nullopt;
    }
    MemoryInput input{bytes};
    if (!readInfo(read.png(), read.info(), &input, maxSide)) {
        return std::nullopt;
    }
    const png_uint_32 width = png_get_image_width(read.png(), read.info());
    const png_uint_32 height = png_get_image_height(read.png(), read.info());
    if (width == 0 || height == 0 || width > static_cast<png_uint_32>(maxSide) ||
        height > static_cast<png_uint_32>(maxSide) || png_get_channels(read.png(), read.info()) != 4 ||
        png_get_bit_depth(read.png(), read.info()) != 8 ||
        png_get_rowbytes(read.png(), read.info()) != static_cast<std::size_t>(width) * 4) {
        return std::nullopt;
    }
    RgbaImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        rows[y] = image.pixels.data() + static_cast<std::size_t>(y) * width * 4;
    }
    if (!readRows(read.png(), rows.data())) {
        return std::nullopt;
    }
    return image;
}

}  // namespace

std::optional<RgbaImage> decode(std::string_view bytes, int maxSide) {
    const auto header = readHeader(bytes);
    if (!header || maxSide <= 0 || header->width > static_cast<std::uint32_t>(maxSide) ||
        header->height > static_cast<std::uint32_t>(maxSide)) {
        return std::nullopt;
    }
    if (!header->optimised) {
        return decodeStandard(bytes, maxSide);
    }
    const auto standard = standardFromOptimised(bytes, *header, std::numeric_limits<std::size_t>::max());
    if (!standard) {
        return std::nullopt;
    }
    auto image = decodeStandard(*standard, maxSide);
    if (image) {
        restoreOptimisedPixels(image->pixels, header->colourType);
    }
    return image;
}

}  // namespace nestora::png
