// The choice of source without a window: what the feed (or its failure)
// starts, how failures walk the order, and the pace of the refresh loops.

#include <gtest/gtest.h>

#include <algorithm>

#include "ads/AdRotation.h"
#include "platform/SystemLog.h"

namespace nestora::ads {
namespace {

using namespace std::chrono_literals;

bool logged(const platform::LogCapture& log, const std::string& line) {
    const auto lines = log.lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(AdRotation, TheFeedsFirstSourceStartsAndItsLinesAreLogged) {
    {
        platform::LogCapture log;
        AdRotation rotation;
        EXPECT_EQ(rotation.feedReceived("2:30,0:45,1:20"), AdSource::OwnWebAd);
        EXPECT_EQ(log.lines(),
                  (std::vector<std::string>{
                      "downloadDidFinish",
                      "Ads: Order: 2,0,1 times: admob: 45.000000, mobclix: 20.000000, other: 30.000000",
                      "Order is 2, 0, 1\n"}));
    }
    {
        platform::LogCapture log;
        AdRotation corrupted;
        EXPECT_EQ(corrupted.feedReceived("0-60-1-60-2-60"), AdSource::AdMob);
        EXPECT_TRUE(logged(log, "Data was corrupted, using default\n"));
    }
    platform::LogCapture log;
    AdRotation tooShort;
    EXPECT_EQ(tooShort.feedReceived("0:60"), AdSource::AdMob);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"downloadDidFinish", "Order is 0, 1, 2\n"}));
}

TEST(AdRotation, AFailedFeedStartsAdMobAndKeepsTheIntervals) {
    platform::LogCapture log;
    AdRotation rotation;
    EXPECT_EQ(rotation.feedFailed(), AdSource::AdMob);
    EXPECT_EQ(rotation.order(), AdOrder{});
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Download failed\n", "Order is 0, 1, 2\n"}));
}

TEST(AdRotation, AdMobFailuresWalkTheOrderOnceAndThenRepeatItsEnd) {
    platform::LogCapture log;
    AdRotation rotation;
    rotation.feedFailed();
    EXPECT_EQ(rotation.nextSource(), AdSource::Mobclix);
    EXPECT_TRUE(logged(log, "Ad failed to load, trying next, current index is 0\n"));
    EXPECT_TRUE(logged(log, "Trying mobclix now\n"));
    EXPECT_EQ(rotation.nextSource(), AdSource::OwnWebAd);
    EXPECT_TRUE(logged(log, "Creating my own now\n"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rotation.nextSource(), AdSource::OwnWebAd);
        EXPECT_EQ(rotation.currentAd(), 2);
    }
    EXPECT_TRUE(logged(log, "Ad failed to load, trying next, current index is 2\n"));

    AdRotation admobLast;
    admobLast.feedReceived("2:30,1:45,0:20");
    admobLast.nextSource();
    EXPECT_EQ(admobLast.nextSource(), AdSource::AdMob);
    EXPECT_TRUE(logged(log, "Trying admob now\n"));
}

TEST(AdRotation, EachLoopRefreshesItsSourceAtItsInterval) {
    AdRotation rotation;
    rotation.feedReceived("2:30,0:45,1:20");
    EXPECT_EQ(rotation.refreshAd().load, RefreshStep::Load::Nothing) << "nothing started yet: AdMob's turn";
    EXPECT_EQ(rotation.refreshAd().nextTurn, 60s);
    rotation.sourceStarted(AdSource::OwnWebAd);
    EXPECT_EQ(rotation.adSet(), 2);
    EXPECT_EQ(rotation.refreshAd().load, RefreshStep::Load::OwnWebAd);
    EXPECT_EQ(rotation.refreshAd().nextTurn, 30s);
    rotation.sourceStarted(AdSource::Mobclix);
    EXPECT_EQ(rotation.refreshAd().load, RefreshStep::Load::MobclixAd);
    EXPECT_EQ(rotation.refreshAd().nextTurn, 20s);
    EXPECT_EQ(rotation.admobRefreshPeriod(), 45s);
}

TEST(AdRotation, NoTimerRunsFasterThanOnceASecond) {
    AdRotation rotation;
    rotation.feedReceived("2:00,0:-5,1:01");
    EXPECT_EQ(rotation.order().otherAdInterval, 0.0f) << "the feed's value is kept as it came";
    rotation.sourceStarted(AdSource::OwnWebAd);
    EXPECT_EQ(rotation.refreshAd().nextTurn, 1s);
    EXPECT_EQ(rotation.admobRefreshPeriod(), 1s);
    rotation.sourceStarted(AdSource::Mobclix);
    EXPECT_EQ(rotation.refreshAd().nextTurn, 1s);
}

}  // namespace
}  // namespace nestora::ads
