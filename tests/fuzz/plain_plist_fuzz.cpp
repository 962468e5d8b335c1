// Wherever the quick Info.plist read answers, libplist must agree with it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/PlainPlist.h"
#include "platform/Plist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto plain = nestora::plist::readPlainDictionary(bytes);
    if (!plain) return 0;
    auto full = nestora::plist::parse(bytes);
    if (!full || !full->dictionary()) std::abort();
    if (plain->strings.size() + plain->otherKeys.size() != full->dictionary()->size()) std::abort();
    for (const auto& [key, value] : plain->strings) {
        if (full->stringForKey(key) != value) std::abort();
    }
    for (const auto& key : plain->otherKeys) {
        const auto* value = full->find(key);
        if (value == nullptr || !(value->isBoolean() || value->isInteger())) std::abort();
    }
    return 0;
}
