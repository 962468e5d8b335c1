#include "ads/AdRotation.h"

#include <algorithm>
#include <cmath>

#include "ads/OrderFeed.h"
#include "platform/SystemLog.h"

namespace nestora::ads {

namespace {

constexpr std::int32_t kLastIndex = 2;

std::chrono::milliseconds timerDelay(float seconds) {
    const auto asked = std::chrono::milliseconds(std::lround(static_cast<double>(seconds) * 1000.0));
    return std::max(asked, kMinimumRefresh);
}

}  // namespace

AdSource AdRotation::feedReceived(std::string_view firstPiece) {
    platform::systemLog("downloadDidFinish");
    const FeedReading reading = readOrderFeed(firstPiece);
    order_ = reading.order;
    currentAd_ = 0;
    if (reading.verdict == FeedVerdict::Corrupted) {
        platform::systemLog("Data was corrupted, using default\n");
    } else if (reading.verdict == FeedVerdict::Applied) {
        platform::systemLog("Ads: Order: %d,%d,%d times: admob: %f, mobclix: %f, other: %f", order_.codes[0],
                            order_.codes[1], order_.codes[2], static_cast<double>(order_.admobInterval),
                            static_cast<double>(order_.mobclixAdInterval),
                            static_cast<double>(order_.otherAdInterval));
    }
    return logOrderAndFirstSource();
}

AdSource AdRotation::feedFailed() {
    platform::systemLog("Download failed\n");
    order_.codes = AdOrder{}.codes;
    currentAd_ = 0;
    return logOrderAndFirstSource();
}

AdSource AdRotation::logOrderAndFirstSource() {
    platform::systemLog("Order is %d, %d, %d\n", order_.codes[0], order_.codes[1], order_.codes[2]);
    return sourceForCode(order_.codes[0]);
}

AdSource AdRotation::nextSource() {
    platform::systemLog("Ad failed to load, trying next, current index is %d\n", currentAd_);
    currentAd_ = std::min(currentAd_ + 1, kLastIndex);
    const AdSource next = sourceForCode(order_.codes[static_cast<std::size_t>(currentAd_)]);
    switch (next) {
    case AdSource::AdMob:
        platform::systemLog("Trying admob now\n");
        break;
    case AdSource::Mobclix:
        platform::systemLog("Trying mobclix now\n");
        break;
    case AdSource::OwnWebAd:
        platform::systemLog("Creating my own now\n");
        break;
    }
    return next;
}

RefreshStep AdRotation::refreshAd() {
    adTimerShouldStop_ = false;
    switch (adSet_) {
    case AdSource::OwnWebAd:
        return {RefreshStep::Load::OwnWebAd, timerDelay(order_.otherAdInterval)};
    case AdSource::Mobclix:
        return {RefreshStep::Load::MobclixAd, timerDelay(order_.mobclixAdInterval)};
    case AdSource::AdMob:
        break;
    }
    return {RefreshStep::Load::Nothing, kIdleRefresh};
}

std::chrono::milliseconds AdRotation::admobRefreshPeriod() const {
    return timerDelay(order_.admobInterval);
}

}  // namespace nestora::ads
