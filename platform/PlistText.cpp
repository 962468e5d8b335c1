#include "platform/PlistText.h"

#include <cstdint>

namespace nestora::plist {

namespace {

using namespace std::string_view_literals;

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& out) {
    if (bytes.size() % 2 != 0) return false;
    auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<std::uint32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    out.clear();
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        std::uint32_t code = unitAt(i);
        if (code >= 0xDC00 && code <= 0xDFFF) return false;  // a low surrogate first
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (i + 2 >= bytes.size()) return false;
            const std::uint32_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        appendUtf8(out, code);
    }
    return true;
}

}  // namespace

std::optional<std::string_view> plistBytesAsUtf8(std::string_view bytes, std::string& converted) {
    if (bytes.starts_with(kUtf8ByteOrderMark)) return bytes.substr(kUtf8ByteOrderMark.size());
    bool bigEndian = false;
    if (bytes.starts_with("\xFF\xFE"sv) || bytes.starts_with("\xFE\xFF"sv)) {
        bigEndian = bytes[0] == '\xFE';
        bytes.remove_prefix(2);
    } else if (bytes.starts_with("<\0?\0x\0m\0l\0"sv) || bytes.starts_with("\0<\0?\0x\0m\0l"sv)) {
        bigEndian = bytes[0] == '\0';
    } else {
        return bytes;
    }
    if (!utf16ToUtf8(bytes, bigEndian, converted)) return std::nullopt;
    return std::string_view(converted);
}

}  // namespace nestora::plist
