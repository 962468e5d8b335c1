// The order feed comes from the network: whatever the first piece holds, the
// reading must not crash, must keep the defaults unless a separator stands
// in its place, and must read every field from its fixed position. The link
// rule of the own web ad gets the same bytes as a URL.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "ads/AdLinkRule.h"
#include "ads/OrderFeed.h"

using nestora::ads::AdOrder;
using nestora::ads::FeedVerdict;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto reading = nestora::ads::readOrderFeed(bytes);

    // What the strip keeps of it: at most 31 bytes, up to a zero byte.
    char buffer[32] = {};
    std::memcpy(buffer, data, size < 31 ? size : 31);
    const std::size_t length = std::strlen(buffer);
    if ((length < nestora::ads::kFeedMinimumLength) != (reading.verdict == FeedVerdict::TooShort)) std::abort();
    if (reading.verdict != FeedVerdict::Applied) {
        if (!(reading.order == AdOrder{})) std::abort();
    } else {
        for (std::size_t entry = 0; entry < 3; ++entry) {
            const int expected = static_cast<unsigned char>(buffer[entry * 5]) - '0';
            if (reading.order.codes[entry] != expected) std::abort();
        }
        for (float interval : {reading.order.admobInterval, reading.order.mobclixAdInterval,
                               reading.order.otherAdInterval}) {
            if (interval < -9.0f || interval > 99.0f) std::abort();
        }
    }

    (void)nestora::ads::decideAdLink(bytes, "www.quarvek.example", false);
    (void)nestora::ads::decideAdLink(bytes, "127.0.0.1:8080", false);
    return 0;
}
