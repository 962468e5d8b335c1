#pragma once

// The strip's choice of source, without a window or a network: the order the
// feed set (or the defaults), the source being tried, the source last
// started and what its refresh loop does next. The strip tells it what
// happened and does what it answers; the log lines are the strip's own.

#include <chrono>
#include <cstdint>
#include <string_view>

#include "ads/AdOrder.h"

namespace nestora::ads {

// No refresh timer fires sooner than this, whatever the feed says: a 0 (or
// a negative interval) would otherwise make a timer spin.
inline constexpr std::chrono::milliseconds kMinimumRefresh{1000};
// The loop's pace while AdMob, which refreshes on its own timer, is the
// source last started.
inline constexpr std::chrono::milliseconds kIdleRefresh{60000};

// One turn of the refresh loop: what to load now, and when the next turn is.
struct RefreshStep {
    enum class Load { Nothing, MobclixAd, OwnWebAd };
    Load load = Load::Nothing;
    std::chrono::milliseconds nextTurn = kIdleRefresh;
};

class AdRotation {
public:
    // The first piece of the feed arrived: the defaults, then the feed where
    // it reads. Returns the first source of the order, to start now.
    AdSource feedReceived(std::string_view firstPiece);
    // The feed could not be had: the default order (the intervals stay).
    AdSource feedFailed();
    // IncrementCurrentAdAndTryNext: an AdMob failure moves one step along
    // the order, never past its end. Returns the source to start.
    AdSource nextSource();

    // A source was started (startAdmob, startMobclix, startMyOwnAds).
    void sourceStarted(AdSource source) { adSet_ = source; }

    // RefreshAd: the loop runs again, whatever stopAdTimers said.
    RefreshStep refreshAd();
    // stopAdTimers: pending timers do nothing when they fire.
    void stop() { adTimerShouldStop_ = true; }
    bool adTimerShouldStop() const { return adTimerShouldStop_; }

    // The repeating AdMob refresh's period.
    std::chrono::milliseconds admobRefreshPeriod() const;

    const AdOrder& order() const { return order_; }
    std::int32_t currentAd() const { return currentAd_; }
    // Code of the source last started (AdSet); AdMob before any start.
    std::int32_t adSet() const { return static_cast<std::int32_t>(adSet_); }

private:
    AdSource logOrderAndFirstSource();

    AdOrder order_;
    std::int32_t currentAd_ = 0;
    AdSource adSet_ = AdSource::AdMob;
    bool adTimerShouldStop_ = false;
};

}  // namespace nestora::ads
