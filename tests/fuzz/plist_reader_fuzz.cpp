// Property-list bytes from anywhere: parsing must never crash, what parses
// must hold no more bytes than the guard's budget for input of its size (a
// binary list may share one object many times, and every reader copies it
// once per reference), and it must survive our own writers and parse again
// to the same value.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto value = nestora::plist::parse(bytes);
    if (!value) return 0;
    const std::uint64_t budget = nestora::plist::expandedByteBudget(size, nestora::plist::kMaxInputBytes);
    if (heldBytes(*value, budget) > budget) std::abort();  // a reader could be made to run out of memory
    const std::string binary = nestora::plist::toBinary(*value);
    const std::string xml = nestora::plist::toXml(*value);
    if (binary.empty() || xml.empty()) std::abort();  // what we read, we can write
    auto fromBinary = nestora::plist::parse(binary);
    auto fromXml = nestora::plist::parse(xml);
    if (!fromBinary || !fromXml) std::abort();
    return 0;
}
