#pragma once

// The ad strip along the bottom of the window, 320 x 55. Once it has first
// been drawn it fetches the order feed, once, then starts the first source
// of that order:
// AdMob, Mobclix, or the own web ad (a page of the maker's host). Timers
// keep the source refreshed; a network without an ad hands over to the next
// source; a link in the own web ad to another site leaves the application.
// Until an ad covers it the strip is black.

#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>

#include "ads/AdNetworks.h"
#include "ads/AdRotation.h"
#include "ads/AdShownFlags.h"
#include "ads/AdsConfiguration.h"
#include "ads/OrderFeedDownload.h"
#include "ui/WebView.h"

namespace nestora::ads {

// What the strip works with; tests give their own.
struct AltAdsServices {
    std::unique_ptr<AdNetworks> networks;      // null: the minimal clients
    AdShownFlags* shownFlags = nullptr;        // null: the process's
    std::function<void(const QUrl&)> openUrl;  // empty: the desktop's URL opener
    std::chrono::milliseconds feedTimeout = kFeedTimeout;
};

class AltAds : public QWidget, public AdMobDelegate, public MobclixAdViewDelegate, public ui::WebViewDelegate {
    Q_OBJECT
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 55;

    // initWithFrame:andWindow: the strip adds itself to `window` when one is
    // given; the caller may add it anywhere else instead.
    AltAds(const QRect& frame, QWidget* window, AdsConfiguration configuration,
           AltAdsServices services = {});
    ~AltAds() override;
    AltAds(const AltAds&) = delete;
    AltAds& operator=(const AltAds&) = delete;

    // The fix-up run when the application ends: the ad libraries' folder,
    // "/var/mobile/Documents", handed back to the user "mobile".
    static void MobclixEndApplication();

    // Ends both refresh loops at their next firing.
    void stopAdTimers();

    // The refresh loop of Mobclix and the own web ad.
    void RefreshAd();
    void AdTimerExpired();
    void refreshAdmob();
    void startAdmob();
    void startMobclix();
    void startMyOwnAds();
    void IncrementCurrentAdAndTryNext();

    // Order feed.
    void connectionDidReceiveData(const QByteArray& firstPiece);
    void connectionDidFailWithError();

    // AdMobDelegate
    void didReceiveAd(AdMobView& view) override;
    void didFailToReceiveAd(AdMobView& view) override;
    std::string publisherId() override { return configuration_.adMobPublisherId; }
    QColor adBackgroundColor() override;
    bool mayAskForLocation() override;
    bool useTestAd() override { return false; }
    // MobclixAdViewDelegate
    void adViewDidFinishLoad(MobclixAdView& view) override;
    void adViewDidFailLoad(MobclixAdView& view) override;
    // ui::WebViewDelegate
    bool webViewShouldStartLoad(ui::WebView& webView, const QUrl& url, ui::NavigationType type) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoad(ui::WebView& webView) override;

    // State, for those who watch the strip (tests, the screenshot tour).
    const AdRotation& rotation() const { return rotation_; }
    const QTimer& adTimer() const { return adTimer_; }
    const QTimer& autoslider() const { return autoslider_; }
    ui::WebView* adView() const { return adView_; }
    MobclixAdView* adMcView() const { return adMcView_; }
    AdMobView* adMobAd() const { return adMobAd_; }
    bool loadAdInFrame() const { return loadAdInFrame_; }
    bool feedPending() const { return feed_.isRunning(); }
    QUrl ownAdUrl() const;

protected:
    // touchesEnded:withEvent:
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Watches the black spacer for the strip's first frame.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void requestOrderFeed();
    void startSource(AdSource source);
    void replaceAdMobAd(std::unique_ptr<AdMobView> view);
    void giveUpAdMobAd();
    void showInStrip(QWidget& view);

    AdsConfiguration configuration_;
    std::unique_ptr<AdNetworks> networks_;
    AdShownFlags& shownFlags_;
    std::function<void(const QUrl&)> openUrl_;
    AdRotation rotation_;
    OrderFeedDownload feed_;
    QUrl feedUrl_;
    std::chrono::milliseconds feedTimeout_;
    QWidget* spacer_ = nullptr;
    bool feedRequested_ = false;
    QTimer adTimer_;     // the one pending turn of the refresh loop
    QTimer autoslider_;  // the one repeating AdMob refresh
    QPointer<ui::WebView> adView_;
    QPointer<MobclixAdView> adMcView_;
    QPointer<AdMobView> adMobAd_;
    bool adMobAdShown_ = false;
    bool loadAdInFrame_ = false;
};

}  // namespace nestora::ads
