#include "platform/PlainBinaryPlist.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/PlistGuard.h"

namespace nestora::plist {

namespace {

constexpr std::string_view kMagic = "bplist00";
constexpr std::size_t kTrailer = 32;

// The file's layout, every field checked against the bytes it lies in.
class Layout {
public:
    static std::optional<Layout> of(std::string_view input) {
        if (input.size() < kMagic.size() + kTrailer || !input.starts_with(kMagic)) return std::nullopt;
        Layout layout;
        layout.bytes_ = reinterpret_cast<const unsigned char*>(input.data());
        const unsigned char* trailer = layout.bytes_ + input.size() - kTrailer;
        layout.offsetSize_ = trailer[6];
        layout.refSize_ = trailer[7];
        layout.count_ = bigEndian(trailer + 8, 8);
        layout.top_ = bigEndian(trailer + 16, 8);
        layout.tableStart_ = bigEndian(trailer + 24, 8);
        const std::size_t dataEnd = input.size() - kTrailer;
        if (layout.offsetSize_ < 1 || layout.offsetSize_ > 8 || layout.refSize_ < 1 || layout.refSize_ > 8 ||
            layout.count_ == 0 || layout.top_ >= layout.count_ || layout.tableStart_ < kMagic.size() ||
            layout.tableStart_ > dataEnd || layout.count_ > (dataEnd - layout.tableStart_) / layout.offsetSize_) {
            return std::nullopt;
        }
        return layout;
    }

    std::uint64_t top() const { return top_; }

    // An object's marker byte and where its contents start; none when its
    // offset points outside the objects.
    struct Object {
        unsigned kind;    // the marker's high nibble
        std::size_t count;  // its length: characters, members, or the integer's byte count
        std::size_t start;  // where its contents start
    };
    std::optional<Object> object(std::uint64_t ref) const {
        if (ref >= count_) return std::nullopt;
        const std::uint64_t at = bigEndian(bytes_ + tableStart_ + ref * offsetSize_, offsetSize_);
        if (at < kMagic.size() || at >= tableStart_) return std::nullopt;
        const unsigned marker = bytes_[at];
        Object found{marker >> 4, marker & 0x0Fu, static_cast<std::size_t>(at) + 1};
        if (found.kind == 0x1) {
            found.count = std::size_t{1} << found.count;  // 1, 2, 4, 8 bytes; more is refused by the caller
        } else if (found.count == 0x0F && found.kind != 0x0) {
            // The length follows as an integer object of its own.
            if (found.start >= tableStart_) return std::nullopt;
            const unsigned lengthMarker = bytes_[found.start];
            if ((lengthMarker >> 4) != 0x1 || (lengthMarker & 0x0F) > 3) return std::nullopt;
            const std::size_t width = std::size_t{1} << (lengthMarker & 0x0F);
            if (found.start + 1 + width > tableStart_) return std::nullopt;
            const std::uint64_t length = bigEndian(bytes_ + found.start + 1, width);
            // No object holds more members or characters than there are
            // bytes of objects (and sums of lengths cannot overflow).
            if (length > tableStart_) return std::nullopt;
            found.count = static_cast<std::size_t>(length);
            found.start += 1 + width;
        }
        return found;
    }

    // `size` bytes at `start`, when they lie among the objects.
    bool holds(std::size_t start, std::uint64_t size) const {
        return start <= tableStart_ && size <= tableStart_ - start;
    }
    std::string_view text(std::size_t start, std::size_t size) const {
        return {reinterpret_cast<const char*>(bytes_ + start), size};
    }
    std::uint64_t ref(std::size_t start, std::size_t index) const {
        return bigEndian(bytes_ + start + index * refSize_, refSize_);
    }
    std::uint64_t integer(std::size_t start, std::size_t width) const { return bigEndian(bytes_ + start, width); }
    std::size_t refSize() const { return refSize_; }

private:
    static std::uint64_t bigEndian(const unsigned char* at, std::size_t width) {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i) value = (value << 8) | at[i];
        return value;
    }

    const unsigned char* bytes_ = nullptr;
    std::size_t offsetSize_ = 0;
    std::size_t refSize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t top_ = 0;
    std::uint64_t tableStart_ = 0;
};

// What the values built so far hold, against the full parse's limits.
struct Budget {
    std::uint64_t objects = 0;
    std::uint64_t bytes = 0;
    std::uint64_t maxBytes = 0;

    bool take(std::uint64_t ownBytes) {
        ++objects;
        bytes += kBytesPerObject + ownBytes;
        return objects <= kMaxExpandedObjects && bytes <= maxBytes;
    }
};

// ASCII text without NUL: what the full parse keeps as it is.
std::optional<std::string> plainString(const Layout& layout, const Layout::Object& object) {
    if (object.kind != 0x5 || !layout.holds(object.start, object.count)) return std::nullopt;
    const std::string_view text = layout.text(object.start, object.count);
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c > 0 && static_cast<unsigned char>(c) < 0x80; })) {
        return std::nullopt;
    }
    return std::string(text);
}

// A string, boolean or integer of up to 8 bytes; none for anything else.
std::optional<Value> scalar(const Layout& layout, const Layout::Object& object, Budget& budget) {
    if (object.kind == 0x0) {
        if (object.count != 0x8 && object.count != 0x9) return std::nullopt;
        if (!budget.take(0)) return std::nullopt;
        return Value(object.count == 0x9);
    }
    if (object.kind == 0x1) {
        if (object.count > 8 || !layout.holds(object.start, object.count) || !budget.take(0)) return std::nullopt;
        // Kept as 64 unsigned bits, read back through the two's complement.
        return Value(static_cast<std::int64_t>(layout.integer(object.start, object.count)));
    }
    std::optional<std::string> text = plainString(layout, object);
    if (!text || !budget.take(text->size())) return std::nullopt;
    return Value(std::move(*text));
}

// The members of an array or dictionary at `level` (1 for the top one, 2 for
// one inside it, whose members must be scalars).
std::optional<Value> container(const Layout& layout, const Layout::Object& object, int level, Budget& budget);

std::optional<Value> member(const Layout& layout, std::uint64_t ref, int level, Budget& budget) {
    const std::optional<Layout::Object> object = layout.object(ref);
    if (!object) return std::nullopt;
    if (object->kind == 0xA || object->kind == 0xD) {
        if (level >= 2) return std::nullopt;
        return container(layout, *object, level + 1, budget);
    }
    return scalar(layout, *object, budget);
}

std::optional<Value> container(const Layout& layout, const Layout::Object& object, int level, Budget& budget) {
    const bool dictionary = object.kind == 0xD;
    if (!budget.take(0)) return std::nullopt;
    const std::uint64_t refs = dictionary ? std::uint64_t{2} * object.count : object.count;
    if (!layout.holds(object.start, refs * layout.refSize())) return std::nullopt;
    if (!dictionary) {
        Array items;
        items.reserve(object.count);
        for (std::size_t i = 0; i < object.count; ++i) {
            std::optional<Value> item = member(layout, layout.ref(object.start, i), level, budget);
            if (!item) return std::nullopt;
            items.push_back(std::move(*item));
        }
        return Value(std::move(items));
    }
    Dictionary entries;
    for (std::size_t i = 0; i < object.count; ++i) {
        const std::optional<Layout::Object> keyObject = layout.object(layout.ref(object.start, i));
        std::optional<std::string> key = keyObject ? plainString(layout, *keyObject) : std::nullopt;
        if (!key || !budget.take(key->size())) return std::nullopt;
        std::optional<Value> value = member(layout, layout.ref(object.start, object.count + i), level, budget);
        if (!value || !entries.try_emplace(std::move(*key), std::move(*value)).second) {
            return std::nullopt;  // not plain, or a key given twice
        }
    }
    return Value(std::move(entries));
}

}  // namespace

std::optional<Value> readPlainBinaryPlist(std::string_view bytes, std::size_t maxBytes) {
    if (bytes.size() > maxBytes) return std::nullopt;
    const std::optional<Layout> layout = Layout::of(bytes);
    if (!layout) return std::nullopt;
    const std::optional<Layout::Object> top = layout->object(layout->top());
    if (!top || (top->kind != 0xA && top->kind != 0xD)) return std::nullopt;
    Budget budget{0, 0, expandedByteBudget(maxBytes)};
    return container(*layout, *top, 1, budget);
}

}  // namespace nestora::plist
