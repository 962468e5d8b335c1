// Wherever the quick read of binary property lists answers, libplist and
// its guard must give the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/PlainBinaryPlist.h"
#include "platform/Plist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto quick = nestora::plist::readPlainBinaryPlist(bytes, nestora::plist::kMaxInputBytes);
    if (!quick) return 0;
    auto full = nestora::plist::parseFully(bytes);
    if (!full || !(*full == *quick)) std::abort();
    return 0;
}
