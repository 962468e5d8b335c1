// The XML guard against libplist itself: wherever the guard lets text
// through at a depth limit, the tree libplist builds from it nests no deeper.
// Small limits let the fuzzer find a way past the guard in a few bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/PlistGuard.h"
#include "tests/support/LibplistDepth.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // libplist sees only what the guard lets through at the largest limit,
    // as in the program; a smaller limit never lets more through.
    constexpr std::size_t kLargest = 3;
    if (bytes.starts_with("bplist") || !nestora::plist::xmlWithinLimits(bytes, kLargest)) return 0;
    const auto depth = nestora::test::libplistXmlDepth(bytes);
    if (!depth) return 0;
    for (std::size_t limit = 0; limit <= kLargest; ++limit) {
        if (nestora::plist::xmlWithinLimits(bytes, limit) && *depth > limit) std::abort();
    }
    return 0;
}
