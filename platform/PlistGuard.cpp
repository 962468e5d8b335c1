#include "platform/PlistGuard.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace nestora::plist {

namespace {

std::uint64_t readBigEndian(const unsigned char* p, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | p[i];
    return value;
}

struct BinaryLayout {
    const unsigned char* bytes;
    std::size_t offsetTableStart;
    std::size_t offsetSize;
    std::size_t refSize;
    std::uint64_t objectCount;

    std::uint64_t offsetOf(std::uint64_t object) const {
        return readBigEndian(bytes + offsetTableStart + object * offsetSize, offsetSize);
    }
};

// The element count of an object whose marker is `marker`: the low nibble,
// or when that is 0xF an integer object that follows (marker 0x1n, 2^n
// bytes). Advances `cursor` past it; false when it does not fit.
bool readCount(const BinaryLayout& layout, unsigned char marker, std::size_t& cursor, std::uint64_t& count) {
    count = marker & 0x0F;
    if (count != 0x0F) return true;
    if (cursor >= layout.offsetTableStart) return false;
    const unsigned char intMarker = layout.bytes[cursor++];
    if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 3) return false;
    const std::size_t width = std::size_t{1} << (intMarker & 0x0F);
    if (cursor + width > layout.offsetTableStart) return false;
    count = readBigEndian(layout.bytes + cursor, width);
    cursor += width;
    return true;
}

bool isKeyString(const BinaryLayout& layout, std::uint64_t object);

// The references held by a container object, or false when its header or
// reference list does not fit before the offset table. Scalars give none.
bool childrenOf(const BinaryLayout& layout, std::uint64_t object, std::vector<std::uint64_t>& children) {
    children.clear();
    const std::uint64_t offset = layout.offsetOf(object);
    if (offset < 8 || offset >= layout.offsetTableStart) return false;
    const unsigned char marker = layout.bytes[offset];
    const unsigned kind = marker >> 4;
    if (kind != 0xA && kind != 0xC && kind != 0xD) return true;  // not a container

    std::size_t cursor = static_cast<std::size_t>(offset) + 1;
    std::uint64_t count = 0;
    if (!readCount(layout, marker, cursor, count)) return false;
    const std::uint64_t refs = kind == 0xD ? count * 2 : count;
    if (count > layout.offsetTableStart || refs > (layout.offsetTableStart - cursor) / layout.refSize) return false;
    children.reserve(static_cast<std::size_t>(refs));
    for (std::uint64_t i = 0; i < refs; ++i) {
        const std::uint64_t ref = readBigEndian(layout.bytes + cursor + i * layout.refSize, layout.refSize);
        if (ref >= layout.objectCount) return false;
        // libplist asserts (aborts) on a dictionary key that is not a plain string.
        if (kind == 0xD && i < count && !isKeyString(layout, ref)) return false;
        children.push_back(ref);
    }
    return true;
}

// A string object (ASCII or UTF-16) that fits before the offset table and
// holds no NUL character: libplist asserts (aborts) on a key with a NUL.
bool isKeyString(const BinaryLayout& layout, std::uint64_t object) {
    const std::uint64_t offset = layout.offsetOf(object);
    if (offset < 8 || offset >= layout.offsetTableStart) return false;
    const unsigned char marker = layout.bytes[offset];
    const unsigned kind = marker >> 4;
    if (kind != 0x5 && kind != 0x6) return false;
    std::size_t cursor = static_cast<std::size_t>(offset) + 1;
    std::uint64_t count = 0;
    if (!readCount(layout, marker, cursor, count)) return false;
    const std::size_t unit = kind == 0x6 ? 2 : 1;
    if (count > (layout.offsetTableStart - cursor) / unit) return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        const unsigned char* p = layout.bytes + cursor + i * unit;
        if (p[0] == 0 && (unit == 1 || p[1] == 0)) return false;
    }
    return true;
}

// The bytes an object holds itself once converted: a string's text (a
// UTF-16 unit becomes at most three bytes of UTF-8) or a data object's
// bytes; none for numbers, dates, booleans and containers. False when the
// object's header or its bytes do not fit before the offset table.
bool ownBytesOf(const BinaryLayout& layout, std::uint64_t object, std::uint64_t& bytes) {
    bytes = 0;
    const std::uint64_t offset = layout.offsetOf(object);
    if (offset < 8 || offset >= layout.offsetTableStart) return false;
    const unsigned char marker = layout.bytes[offset];
    const unsigned kind = marker >> 4;
    if (kind != 0x4 && kind != 0x5 && kind != 0x6) return true;
    std::size_t cursor = static_cast<std::size_t>(offset) + 1;
    std::uint64_t count = 0;
    if (!readCount(layout, marker, cursor, count)) return false;
    const std::uint64_t unit = kind == 0x6 ? 2 : 1;
    if (count > (layout.offsetTableStart - cursor) / unit) return false;
    bytes = kind == 0x6 ? count * 3 : count;
    return true;
}

}  // namespace

std::uint64_t expandedByteBudget(std::size_t maxInputBytes) {
    return std::max<std::uint64_t>(kMaxExpandedBytes, maxInputBytes);
}

bool binaryWithinLimits(std::string_view input, std::size_t maxDepth, std::uint64_t maxExpandedBytes) {
    constexpr std::size_t kHeader = 8;
    constexpr std::size_t kTrailer = 32;
    if (input.size() < kHeader + kTrailer) return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
    const unsigned char* trailer = bytes + input.size() - kTrailer;
    const std::size_t offsetSize = trailer[6];
    const std::size_t refSize = trailer[7];
    const std::uint64_t objectCount = readBigEndian(trailer + 8, 8);
    const std::uint64_t topObject = readBigEndian(trailer + 16, 8);
    const std::uint64_t tableStart = readBigEndian(trailer + 24, 8);
    const std::size_t dataEnd = input.size() - kTrailer;

    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8) return false;
    if (objectCount == 0 || topObject >= objectCount) return false;
    if (tableStart < kHeader || tableStart > dataEnd) return false;
    if (objectCount > (dataEnd - tableStart) / offsetSize) return false;

    const BinaryLayout layout{bytes, static_cast<std::size_t>(tableStart), offsetSize, refSize, objectCount};

    // Longest chain of containers below each object, by an iterative
    // depth-first walk: 0 = not seen, 1 = on the current path, 2 = done.
    // Meeting an object that is on the path again is a cycle.
    const auto n = static_cast<std::size_t>(objectCount);
    std::vector<std::uint8_t> state(n, 0);
    std::vector<std::uint32_t> depth(n, 0);
    std::vector<std::uint64_t> expanded(n, 0);       // objects in the tree below
    std::vector<std::uint64_t> expandedBytes(n, 0);  // bytes in the tree below
    struct Frame {
        std::uint64_t object;
        std::vector<std::uint64_t> children;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    std::vector<std::uint64_t> scratch;

    auto push = [&](std::uint64_t object) -> bool {
        if (!childrenOf(layout, object, scratch)) return false;
        state[object] = 1;
        stack.push_back(Frame{object, scratch, 0});
        return true;
    };
    if (!push(topObject)) return false;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < frame.children.size()) {
            const std::uint64_t child = frame.children[frame.next++];
            if (state[child] == 1) return false;  // cycle
            if (state[child] == 0) {
                if (stack.size() > maxDepth + 1) return false;
                if (!push(child)) return false;
            }
            continue;
        }
        std::uint32_t deepest = 0;
        std::uint64_t total = 1;
        std::uint64_t bytes = 0;
        if (!ownBytesOf(layout, frame.object, bytes)) return false;
        bytes += kBytesPerObject;
        if (bytes > maxExpandedBytes) return false;
        // Both sums stop at their limit, which no child's total passes:
        // they cannot overflow.
        for (std::uint64_t child : frame.children) {
            deepest = std::max(deepest, depth[child]);
            total += expanded[child];
            bytes += expandedBytes[child];
            if (total > kMaxExpandedObjects || bytes > maxExpandedBytes) return false;
        }
        expanded[frame.object] = total;
        expandedBytes[frame.object] = bytes;
        const unsigned kind = layout.bytes[layout.offsetOf(frame.object)] >> 4;
        const bool container = kind == 0xA || kind == 0xC || kind == 0xD;
        depth[frame.object] = deepest + (container ? 1 : 0);
        if (depth[frame.object] > maxDepth) return false;
        state[frame.object] = 2;
        stack.pop_back();
    }
    return true;
}

}  // namespace nestora::plist
