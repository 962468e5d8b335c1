#pragma once

// What the strip needs of the two ad networks' client libraries, and nothing
// more: an AdMob view that asks for ads and reports to a delegate, a Mobclix
// banner view likewise, and the Mobclix library's end-of-application call.
// Every report arrives later on the main loop, never inside the call that
// asked for it.

#include <QColor>
#include <QRect>
#include <QWidget>

#include <memory>
#include <string>

namespace nestora::ads {

class AdMobView;
class MobclixAdView;

class AdMobDelegate {
public:
    // Once per request, with the view that made it.
    virtual void didReceiveAd(AdMobView& view) = 0;
    virtual void didFailToReceiveAd(AdMobView& view) = 0;
    // Asked by the library as it needs them.
    virtual std::string publisherId() = 0;
    virtual QColor adBackgroundColor() = 0;
    virtual bool mayAskForLocation() = 0;
    virtual bool useTestAd() = 0;

protected:
    ~AdMobDelegate() = default;
};

// Made by requestAdWithDelegate, which also makes its first request.
class AdMobView : public QWidget {
public:
    // Asks for a new ad in the same view.
    virtual void requestFreshAd() = 0;
};

class MobclixAdViewDelegate {
public:
    virtual void adViewDidFinishLoad(MobclixAdView& view) = 0;
    virtual void adViewDidFailLoad(MobclixAdView& view) = 0;

protected:
    ~MobclixAdViewDelegate() = default;
};

class MobclixAdView : public QWidget {
public:
    virtual void setAdCode(const std::string& applicationId) = 0;
    virtual void setDelegate(MobclixAdViewDelegate* delegate) = 0;  // not owned
    virtual void getAd() = 0;
};

// The two libraries' entry points.
class AdNetworks {
public:
    virtual ~AdNetworks() = default;
    // AdMobView requestAdWithDelegate: a new view, asking for its first ad.
    virtual std::unique_ptr<AdMobView> requestAdWithDelegate(AdMobDelegate& delegate) = 0;
    // MMABannerXLAdView initWithFrame:.
    virtual std::unique_ptr<MobclixAdView> makeMobclixBannerView(const QRect& frame) = 0;
    // Mobclix endApplication: the application is ending.
    virtual void endApplication() = 0;
};

// The clients this build carries: they never have an ad, and say so.
std::unique_ptr<AdNetworks> makeMinimalAdNetworks();

}  // namespace nestora::ads
