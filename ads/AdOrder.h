#pragma once

// The strip's three ad sources and the order it tries them in, with each
// source's refresh interval: what the order feed sets.

#include <array>
#include <cstdint>

namespace nestora::ads {

// Source codes as the feed and the order spell them: 0 AdMob, 1 Mobclix,
// and any other value the own web ad.
enum class AdSource { AdMob, Mobclix, OwnWebAd };

// Codes are tested for 0, then 1; everything else is the own web ad.
constexpr AdSource sourceForCode(std::int32_t code) {
    return code == 0 ? AdSource::AdMob : code == 1 ? AdSource::Mobclix : AdSource::OwnWebAd;
}

inline constexpr float kDefaultInterval = 60.0f;

struct AdOrder {
    std::array<std::int32_t, 3> codes{0, 1, 2};  // AdsArray: AdMob, then Mobclix, then the own web ad
    float admobInterval = kDefaultInterval;      // seconds
    float mobclixAdInterval = kDefaultInterval;
    float otherAdInterval = kDefaultInterval;    // the own web ad

    bool operator==(const AdOrder&) const = default;
};

}  // namespace nestora::ads
