// Property-list bytes from anywhere: parsing must never crash, what parses
// must hold no more bytes than the guard's budget (a binary list may share
// one object many times, and every reader copies it once per reference),
// and it must survive our own writers and parse again to the same value.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Plist.h"
#include "platform/PlistGuard.h"

namespace {

using nestora::plist::Type;
using nestora::plist::Value;

// What the value holds, counted as the guard counts it: the bytes of every
// string, key and data, and kBytesPerObject for each value and key. Walked
// without recursion; stops counting past `limit`.
std::uint64_t heldBytes(const Value& top, std::uint64_t limit) {
    std::uint64_t bytes = 0;
    std::vector<const Value*> pending{&top};
    while (!pending.empty() && bytes <= limit) {
        const Value* value = pending.back();
        pending.pop_back();
        bytes += nestora::plist::kBytesPerObject;
        switch (value->type()) {
            case Type::String: bytes += value->string()->size(); break;
            case Type::Data: bytes += value->data()->size(); break;
            case Type::Array:
                for (const Value& item : *value->array()) pending.push_back(&item);
                break;
            case Type::Dictionary:
                for (const auto& [key, item] : *value->dictionary()) {
                    bytes += nestora::plist::kBytesPerObject + key.size();
                    pending.push_back(&item);
                }
                break;
            default: break;
        }
    }
    return bytes;
}

constexpr std::uint64_t kRoundTripBytes = 256 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto value = nestora::plist::parse(bytes);
    if (!value) return 0;
    const std::uint64_t budget = nestora::plist::expandedByteBudget(nestora::plist::kMaxInputBytes);
    const std::uint64_t held = heldBytes(*value, budget);
    if (held > budget) std::abort();  // a reader could be made to run out of memory
    // Writing out and reading back a tree that shares much is slow and
    // tells little more than a small one (the unit tests do large ones).
    if (held > kRoundTripBytes) return 0;
    const std::string binary = nestora::plist::toBinary(*value);
    const std::string xml = nestora::plist::toXml(*value);
    if (binary.empty() || xml.empty()) std::abort();  // what we read, we can write
    // XML spells out every shared object, so it may be longer than what we
    // read: it is read back with a limit that fits it.
    const auto fits = [](const std::string& text) { return std::max(text.size(), nestora::plist::kMaxInputBytes); };
    auto fromBinary = nestora::plist::parse(binary, fits(binary));
    auto fromXml = nestora::plist::parse(xml, fits(xml));
    if (!fromBinary || !fromXml) std::abort();
    return 0;
}
