// The strip against a loopback stand-in for the maker's host, with the
// minimal clients or with test clients that do have ads.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>
#include <QTextBrowser>

#include <algorithm>
#include <chrono>

#include "ads/AltAds.h"
#include "platform/SystemLog.h"
#include "tests/ads/FakeAdNetworks.h"
#include "tests/ui/LoopbackHttpServer.h"
#include "tests/support/TestDevice.h"
#include "tests/ui/LoopbackOnlyNetwork.h"
#include "tests/ui/UiTestSupport.h"

namespace nestora::ads {
namespace {

using namespace std::chrono_literals;

const QByteArray kFeedPath = "/whichad_nestoranew.php";
const QByteArray kAdPath = "/nestora.php";
const QByteArray kAdPage =
    "<html><body bgcolor='#14213d'><font color='white'>Nestora Pro</font>"
    " <a href='/more.php'>more</a> <a href='http://elsewhere.example/offer'>away</a></body></html>";

int count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// True when `expected` appear in this order among the lines (others between).
bool inOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
    auto at = lines.begin();
    for (const std::string& line : expected) {
        at = std::find(at, lines.end(), line);
        if (at == lines.end()) return false;
        ++at;
    }
    return true;
}

class Strip : public ::testing::Test {
protected:
    void SetUp() override {
        window_.resize(320, 480);
        server_.page(kAdPath, kAdPage);
    }

    AltAds& make(bool fakeClients = true, std::string host = {}) {
        AltAdsServices services;
        if (fakeClients) services.networks = std::make_unique<test::FakeAdNetworks>(state_);
        services.shownFlags = &flags_;
        services.openUrl = [this](const QUrl& url) { opened_.push_back(url); };
        services.feedTimeout = 300ms;
        AdsConfiguration configuration{host.empty() ? server_.host() : host, "0123456789abcde",
                                       "12345678-90ab-cdef-1234-567890abcdef"};
        // Given the window, the strip adds itself to it; the window owns it.
        strip_ = new AltAds(QRect(0, 425, 320, 55), &window_, configuration, std::move(services));
        window_.show();
        return *strip_;
    }
    bool waitForLine(const std::string& line, int timeoutMs = 5000) {
        return test::waitUntil([&] { return count(log_.lines(), line) > 0; }, timeoutMs);
    }
    bool adShown() const { return strip_->adView() != nullptr && strip_->adView()->isVisible(); }

    platform::LogCapture log_;
    test::TestDevice device_;  // the strip makes its folders in here
    test::LoopbackHttpServer server_;
    std::shared_ptr<test::FakeAdState> state_ = std::make_shared<test::FakeAdState>();
    AdShownFlags flags_;
    std::vector<QUrl> opened_;
    QWidget window_;
    AltAds* strip_ = nullptr;
};

TEST_F(Strip, CreationStepsLeaveABlackStripWaitingForTheFeed) {
    server_.silent(kFeedPath);
    device_.makeFolder("/var/mobile");
    AltAds& strip = make();
    EXPECT_EQ(log_.lines(), (std::vector<std::string>{"Start alta\n", "Made dirs\n", "Making spacerview\n",
                                                      "Spacerview released\n", "Analytics start\n", "addSubview\n"}));
    EXPECT_EQ(strip.parentWidget(), &window_);
    EXPECT_EQ(strip.geometry(), QRect(0, 425, 320, 55));
    EXPECT_TRUE(device_.exists("/var/mobile/Documents/admob"));
    EXPECT_FALSE(strip.feedPending()) << "the feed waits for the strip's first frame";
    EXPECT_TRUE(test::waitUntil([&] { return strip.feedPending(); }));
    const QImage image = strip.grab().toImage();
    EXPECT_EQ(image.pixelColor(160, 27), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::black));

    AltAds loose(QRect(0, 0, 320, 55), nullptr, AdsConfiguration{server_.host(), {}, {}},
                 AltAdsServices{nullptr, &flags_, {}, 300ms});
    EXPECT_EQ(loose.parentWidget(), nullptr) << "without a window the caller places the strip";
    test::settle();
    EXPECT_FALSE(loose.feedPending()) << "a strip never shown asks for nothing";
}

TEST_F(Strip, TheOwnWebAdIsAddedAtItsFirstLoadAndReloadedInPlace) {
    server_.page(kFeedPath, "2:01,0:60,1:60");
    AltAds& strip = make();
    ASSERT_TRUE(test::waitUntil([&] { return adShown(); }));
    const auto lines = log_.lines();
    EXPECT_TRUE(inOrder(lines, {"Order is 2, 0, 1\n", "Starting myOwn\n", "AltAds received an ad\n"}));
    EXPECT_EQ(count(lines, "Admob req") + count(lines, "Mobclix req"), 0);
    EXPECT_TRUE(flags_.ownAdShown);
    EXPECT_TRUE(strip.adView()->toPlainText().contains(QStringLiteral("Nestora Pro")));
    test::saveScreenshot(window_, QStringLiteral("own-web-ad"), QStringLiteral("ads"));

    ui::WebView* view = strip.adView();
    ASSERT_TRUE(test::waitUntil([&] { return server_.requestsFor(kAdPath) >= 2; }, 5000));
    ASSERT_TRUE(test::waitUntil([&] { return count(log_.lines(), "AltAds received an ad\n") >= 2; }));
    EXPECT_EQ(strip.adView(), view);
    EXPECT_EQ(strip.findChildren<ui::WebView*>().size(), 1);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(state_->admobViewsMade, 0);
}

// An image banner: the own web ad's picture comes from the maker's host and
// fills the strip.
TEST_F(Strip, AnImageBannerInTheOwnWebAdIsDrawn) {
    QImage banner(320, 50, QImage::Format_RGB32);
    banner.fill(QColor(250, 180, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    banner.save(&buffer, "PNG");
    server_.page("/banner.png", png);
    server_.page(kAdPath, "<html><body style='margin: 0' bgcolor='black'><img src='/banner.png'></body></html>");
    server_.page(kFeedPath, "2:60,0:60,1:60");
    AltAds& strip = make();
    ASSERT_TRUE(test::waitUntil([&] { return adShown() && server_.requestsFor("/banner.png") == 1; }));
    ASSERT_TRUE(test::waitUntil([&] { return strip.adView()->imagesLoading() == 0; }));
    test::settle();
    const QImage shown = strip.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int bannerPixels = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            bannerPixels += shown.pixel(x, y) == qRgb(250, 180, 0);
        }
    }
    // All of it but what the page's own margin pushes out of the strip.
    EXPECT_GT(bannerPixels, 300 * 45);
}

TEST_F(Strip, AFailedOwnAdWaitsForTheNextLoopWithoutFallingThrough) {
    server_.page(kFeedPath, "2:01,0:60,1:60");
    server_.hangUp(kAdPath);
    AltAds& strip = make();
    ASSERT_TRUE(waitForLine("AltAds did fail to fetch ad\n"));
    EXPECT_FALSE(strip.loadAdInFrame());
    EXPECT_FALSE(adShown());
    EXPECT_FALSE(flags_.ownAdShown);
    ASSERT_TRUE(test::waitUntil([&] { return server_.requestsFor(kAdPath) >= 2; }, 5000));
    EXPECT_EQ(state_->admobViewsMade, 0);
    EXPECT_EQ(state_->mobclixViewsMade, 0);

    server_.page(kAdPath, kAdPage);
    EXPECT_TRUE(test::waitUntil([&] { return adShown(); }, 5000)) << "a later loop shows the ad";
}

TEST_F(Strip, ASilentFeedServerStallsNothingAndThenCountsAsFailed) {
    state_->admobHasAds = true;  // so that AdMob, once started, stays
    server_.silent(kFeedPath);
    AltAds& strip = make();
    bool ticked = false;
    QTimer::singleShot(50, [&] { ticked = true; });
    ASSERT_TRUE(test::waitUntil([&] { return ticked; }, 1000)) << "the event loop runs while the feed is silent";
    EXPECT_TRUE(strip.feedPending());
    EXPECT_FALSE(window_.grab().isNull());

    ASSERT_TRUE(waitForLine("Download failed\n"));
    EXPECT_TRUE(inOrder(log_.lines(), {"Download failed\n", "Order is 0, 1, 2\n", "Starting Admob\n", "Admob req"}));
    EXPECT_EQ(state_->admobViewsMade, 1);
    EXPECT_FALSE(strip.feedPending());
}

TEST_F(Strip, OnlyTheFeedsFirstPieceCounts) {
    QByteArray rest = ",0:45,1:20";
    rest.append(10000 - 4 - rest.size(), 'x');
    server_.splitPage(kFeedPath, "2:30", rest, 200);
    state_->admobHasAds = true;
    make();
    ASSERT_TRUE(waitForLine("Order is 0, 1, 2\n"));
    EXPECT_EQ(count(log_.lines(), "Data was corrupted, using default\n"), 0) << "4 characters: too short, silently";
    EXPECT_EQ(state_->admobViewsMade, 1);
}

TEST_F(Strip, TheMinimalClientsFallThroughTheOrderToTheOwnWebAd) {
    server_.hangUp(kFeedPath);
    AltAds& strip = make(false);
    ASSERT_TRUE(test::waitUntil([&] { return adShown(); }));
    EXPECT_TRUE(inOrder(log_.lines(), {"Download failed\n", "Starting Admob\n", "AdMob: Did fail to receive ad",
                                       "Ad failed to load, trying next, current index is 0\n", "Trying mobclix now\n",
                                       "Starting Mobclix\n", "Mobclix failed to fill. Trying admob\n",
                                       "AdMob: Did fail to receive ad",
                                       "Ad failed to load, trying next, current index is 1\n",
                                       "Creating my own now\n", "Starting myOwn\n", "AltAds received an ad\n"}));
    EXPECT_EQ(strip.rotation().currentAd(), 2);

    // Every further AdMob failure starts the own web ad again, in the same view.
    ui::WebView* view = strip.adView();
    strip.startAdmob();
    ASSERT_TRUE(waitForLine("Ad failed to load, trying next, current index is 2\n"));
    EXPECT_EQ(count(log_.lines(), "Creating my own now\n"), 2);
    EXPECT_EQ(strip.adView(), view);
    EXPECT_EQ(strip.rotation().adSet(), 2);
}

TEST_F(Strip, AnAdMobViewWithAdsIsAddedOnceAndRefreshedByOneTimer) {
    state_->admobHasAds = true;
    server_.page(kFeedPath, "0:01,1:60,2:60");
    AltAds& strip = make();
    ASSERT_TRUE(test::waitUntil([&] { return strip.adMobAd() != nullptr && strip.adMobAd()->isVisible(); }));
    EXPECT_EQ(strip.adMobAd()->geometry(), QRect(0, 5, 320, 48));
    EXPECT_EQ(strip.autoslider().interval(), 1000);
    // Each refresh reports again; the view is not added again, no timer is added.
    for (int i = 0; i < 3; ++i) strip.didReceiveAd(*strip.adMobAd());
    EXPECT_EQ(count(log_.lines(), "Adding av\n"), 1);
    const int before = state_->admobRequests;
    ASSERT_TRUE(waitForLine("Refresh Add running\n"));
    QTest::qWait(300);
    EXPECT_EQ(count(log_.lines(), "Refresh Add running\n"), 1) << "a second repeating timer fired";
    EXPECT_EQ(state_->admobRequests, before + 1);
    EXPECT_EQ(state_->admobViewsMade, 1);
}

TEST_F(Strip, AMobclixViewWithAdsJoinsTheStripOncePerProcess) {
    state_->mobclixHasAds = true;
    server_.page(kFeedPath, "1:60,0:60,2:60");
    AltAds& strip = make();
    ASSERT_TRUE(test::waitUntil([&] { return strip.adMcView() != nullptr && strip.adMcView()->isVisible(); }));
    EXPECT_TRUE(inOrder(log_.lines(), {"Mobclix req", "Starting Mobclix\n", "Got mobclix ad\n",
                                       "Adding mobclix to window\n"}));
    EXPECT_EQ(strip.adMcView()->geometry(), QRect(10, 5, 300, 50));
    EXPECT_EQ(state_->mobclixAdCode, "12345678-90ab-cdef-1234-567890abcdef");
    EXPECT_TRUE(flags_.mobclixShown);

    // A second strip in the same process gets ads but never adds the view.
    AltAds second(QRect(0, 0, 320, 55), nullptr, AdsConfiguration{server_.host(), {}, {}},
                  AltAdsServices{std::make_unique<test::FakeAdNetworks>(state_), &flags_, {}, 300ms});
    second.show();
    ASSERT_TRUE(test::waitUntil([&] { return count(log_.lines(), "Got mobclix ad\n") == 2; }));
    ASSERT_NE(second.adMcView(), nullptr);
    EXPECT_FALSE(second.adMcView()->isVisibleTo(&second));
    EXPECT_EQ(count(log_.lines(), "Adding mobclix to window\n"), 1);
}

TEST_F(Strip, StartingASourceWhileTheLoopWaitsKeepsOneLoop) {
    // Mobclix first, which starts the loop; its failure leads through AdMob
    // to the own web ad, which starts it again.
    server_.page(kFeedPath, "1:01,2:01,0:01");
    AltAds& strip = make();
    ASSERT_TRUE(test::waitUntil([&] { return adShown(); }));
    EXPECT_EQ(strip.rotation().adSet(), 2);
    ASSERT_TRUE(test::waitUntil([&] { return server_.requestsFor(kAdPath) >= 2; }, 5000));
    QTest::qWait(300);
    EXPECT_EQ(server_.requestsFor(kAdPath), 2) << "a second loop loaded the ad too";
}

TEST_F(Strip, AZeroIntervalIsRaisedToOneSecond) {
    server_.page(kFeedPath, "2:00,0:00,1:00");
    AltAds& strip = make();
    ASSERT_TRUE(test::waitUntil([&] { return adShown(); }));
    EXPECT_EQ(strip.adTimer().interval(), 1000);
    QTest::qWait(300);
    EXPECT_EQ(server_.requestsFor(kAdPath), 1);
}

TEST_F(Strip, StopAdTimersEndsBothLoopsAtTheirNextFiring) {
    state_->admobHasAds = true;
    server_.page(kFeedPath, "0:01,2:01,1:01");
    AltAds& strip = make();
    ASSERT_TRUE(test::waitUntil([&] { return strip.autoslider().isActive(); }));
    strip.startMyOwnAds();
    ASSERT_TRUE(test::waitUntil([&] { return adShown(); }));
    const int adLoads = server_.requestsFor(kAdPath);
    const int admobRequests = state_->admobRequests;

    strip.stopAdTimers();
    EXPECT_EQ(count(log_.lines(), "Stopping ad loops\n"), 1);
    EXPECT_FALSE(strip.autoslider().isActive());
    ASSERT_TRUE(test::waitUntil([&] { return !strip.adTimer().isActive(); }, 3000));
    QTest::qWait(200);
    EXPECT_EQ(server_.requestsFor(kAdPath), adLoads);
    EXPECT_EQ(state_->admobRequests, admobRequests);
    EXPECT_FALSE(strip.adTimer().isActive()) << "the fired timer did not schedule another turn";
}

TEST_F(Strip, LinksInTheOwnAdStayOnlyOnTheMakersHost) {
    server_.page(kFeedPath, "2:60,0:60,1:60");
    server_.page("/more.php", "<html><body>More from the maker</body></html>");
    AltAds& strip = make();
    ASSERT_TRUE(test::waitUntil([&] { return adShown(); }));
    ui::WebView& view = *strip.adView();

    view.linkClicked(QUrl(QStringLiteral("http://elsewhere.example/offer")));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], QUrl(QStringLiteral("http://elsewhere.example/offer")));
    EXPECT_FALSE(view.isLoading());
    EXPECT_TRUE(view.toPlainText().contains(QStringLiteral("Nestora Pro"))) << "the strip keeps its page";

    view.linkClicked(QUrl(QStringLiteral("about:blank")));
    view.linkClicked(QUrl(QStringLiteral("file:///etc/passwd")));
    view.linkClicked(QUrl(QStringLiteral("ssh://evil.example")));
    EXPECT_EQ(opened_.size(), 1u);
    EXPECT_TRUE(waitForLine("AltAds ignored a link with the scheme ssh\n"));

    view.linkClicked(QUrl(QStringLiteral("/more.php")));  // relative: the maker's host
    ASSERT_TRUE(test::waitUntil([&] { return view.toPlainText().contains(QStringLiteral("More from the maker")); }));
    EXPECT_EQ(opened_.size(), 1u);
}

TEST_F(Strip, ALinkRedirectedOffTheMakersHostOpensOutside) {
    server_.page(kFeedPath, "2:60,0:60,1:60");
    // Another loopback address: another host as far as the rule goes.
    const QByteArray elsewhere = "http://127.0.0.2:" + QByteArray(server_.host().substr(10).c_str()) + "/offer";
    server_.redirect("/go.php", elsewhere);
    server_.page("/offer", "<html><body>Someone else's page</body></html>");
    AltAds& strip = make();
    ASSERT_TRUE(test::waitUntil([&] { return adShown(); }));
    strip.adView()->linkClicked(QUrl(QStringLiteral("/go.php")));
    ASSERT_TRUE(waitForLine("AltAds did fail to fetch ad\n"));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], QUrl(QString::fromLatin1(elsewhere)));
    EXPECT_EQ(server_.requestsFor("/offer"), 0);
    EXPECT_TRUE(strip.adView()->toPlainText().contains(QStringLiteral("Nestora Pro")));
}

TEST_F(Strip, AnswersTheAdMobLibrarysQuestionsAndLogsATap) {
    server_.silent(kFeedPath);
    AltAds& strip = make();
    EXPECT_EQ(strip.publisherId(), "0123456789abcde");
    EXPECT_EQ(strip.adBackgroundColor(), QColor(0, 0, 0, 255));
    EXPECT_FALSE(strip.mayAskForLocation());
    EXPECT_FALSE(strip.useTestAd());
    QTest::mouseClick(strip.findChild<QWidget*>(QStringLiteral("spacer")), Qt::LeftButton);
    const auto lines = log_.lines();
    EXPECT_EQ(count(lines, "BackgroundColor\n"), 1);
    EXPECT_EQ(count(lines, "May ask for location: no\n"), 1);
    EXPECT_EQ(count(lines, "Clicked\n"), 1);
}

TEST_F(Strip, DestructionEndsTheMobclixLibrary) {
    server_.silent(kFeedPath);
    make();
    delete strip_;
    EXPECT_TRUE(state_->ended);
}

TEST_F(Strip, NoRequestLeavesLoopback) {
    // The build's own host, which the test guard must stop before it leaves.
    AltAds& strip = make(true, "www.quarvek.example");
    ASSERT_TRUE(waitForLine("Download failed\n"));
    EXPECT_EQ(strip.rotation().order(), AdOrder{});
    const auto outside = test::outsideRequests();
    ASSERT_FALSE(outside.empty());
    for (const std::string& request : outside) {
        EXPECT_EQ(request, "Strip.NoRequestLeavesLoopback: www.quarvek.example");
    }
    test::forgetOutsideRequests();
}

}  // namespace
}  // namespace nestora::ads
