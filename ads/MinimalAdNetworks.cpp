// The ad network clients this build carries. They make no network traffic
// and never have an ad: every request is answered with a failure, posted to
// the main loop as the real libraries would report it.

#include <QTimer>

#include "ads/AdNetworks.h"

namespace nestora::ads {

namespace {

class MinimalAdMobView : public AdMobView {
public:
    explicit MinimalAdMobView(AdMobDelegate& delegate) : delegate_(delegate) { requestFreshAd(); }

    void requestFreshAd() override {
        // What a request would send; the answer is the same either way.
        (void)delegate_.publisherId();
        (void)delegate_.useTestAd();
        // Tied to this view: a view given up before the answer gets none.
        QTimer::singleShot(0, this, [this] { delegate_.didFailToReceiveAd(*this); });
    }

private:
    AdMobDelegate& delegate_;
};

class MinimalMobclixAdView : public MobclixAdView {
public:
    explicit MinimalMobclixAdView(const QRect& frame) { setGeometry(frame); }

    void setAdCode(const std::string& applicationId) override { applicationId_ = applicationId; }
    void setDelegate(MobclixAdViewDelegate* delegate) override { delegate_ = delegate; }
    void getAd() override {
        QTimer::singleShot(0, this, [this] {
            if (delegate_ != nullptr) {
                delegate_->adViewDidFailLoad(*this);
            }
        });
    }

private:
    std::string applicationId_;
    MobclixAdViewDelegate* delegate_ = nullptr;
};

class MinimalAdNetworks : public AdNetworks {
public:
    std::unique_ptr<AdMobView> requestAdWithDelegate(AdMobDelegate& delegate) override {
        return std::make_unique<MinimalAdMobView>(delegate);
    }
    std::unique_ptr<MobclixAdView> makeMobclixBannerView(const QRect& frame) override {
        return std::make_unique<MinimalMobclixAdView>(frame);
    }
    void endApplication() override {}
};

}  // namespace

std::unique_ptr<AdNetworks> makeMinimalAdNetworks() {
    return std::make_unique<MinimalAdNetworks>();
}

}  // namespace nestora::ads
