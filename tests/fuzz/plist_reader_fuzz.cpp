// Property-list bytes from anywhere: parsing must never crash, and whatever
// parses must survive our own writers and parse again to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Plist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto value = nestora::plist::parse(bytes);
    if (!value) return 0;
    const std::string binary = nestora::plist::toBinary(*value);
    const std::string xml = nestora::plist::toXml(*value);
    if (binary.empty() || xml.empty()) std::abort();  // what we read, we can write
    auto fromBinary = nestora::plist::parse(binary);
    auto fromXml = nestora::plist::parse(xml);
    if (!fromBinary || !fromXml) std::abort();
    return 0;
}
