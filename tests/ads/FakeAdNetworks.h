#pragma once

// Ad network clients for tests: they have ads or not as the test says, and
// count what the strip asks of them. Answers come later on the main loop, as
// the real libraries send them.

#include <QTimer>

#include <memory>

#include "ads/AdNetworks.h"

namespace nestora::test {

struct FakeAdState {
    bool admobHasAds = false;
    bool mobclixHasAds = false;
    int admobViewsMade = 0;
    int admobRequests = 0;  // the first request of each view included
    int mobclixViewsMade = 0;
    int mobclixRequests = 0;
    std::string mobclixAdCode;
    bool ended = false;
};

class FakeAdMobView : public ads::AdMobView {
public:
    FakeAdMobView(ads::AdMobDelegate& delegate, std::shared_ptr<FakeAdState> state)
        : delegate_(delegate), state_(std::move(state)) {
        requestFreshAd();
    }
    void requestFreshAd() override {
        ++state_->admobRequests;
        QTimer::singleShot(0, this, [this] {
            if (state_->admobHasAds) {
                delegate_.didReceiveAd(*this);
            } else {
                delegate_.didFailToReceiveAd(*this);
            }
        });
    }

private:
    ads::AdMobDelegate& delegate_;
    std::shared_ptr<FakeAdState> state_;
};

class FakeMobclixAdView : public ads::MobclixAdView {
public:
    explicit FakeMobclixAdView(std::shared_ptr<FakeAdState> state) : state_(std::move(state)) {}
    void setAdCode(const std::string& code) override { state_->mobclixAdCode = code; }
    void setDelegate(ads::MobclixAdViewDelegate* delegate) override { delegate_ = delegate; }
    void getAd() override {
        ++state_->mobclixRequests;
        QTimer::singleShot(0, this, [this] {
            if (delegate_ == nullptr) return;
            if (state_->mobclixHasAds) {
                delegate_->adViewDidFinishLoad(*this);
            } else {
                delegate_->adViewDidFailLoad(*this);
            }
        });
    }

private:
    std::shared_ptr<FakeAdState> state_;
    ads::MobclixAdViewDelegate* delegate_ = nullptr;
};

class FakeAdNetworks : public ads::AdNetworks {
public:
    explicit FakeAdNetworks(std::shared_ptr<FakeAdState> state) : state_(std::move(state)) {}
    std::unique_ptr<ads::AdMobView> requestAdWithDelegate(ads::AdMobDelegate& delegate) override {
        ++state_->admobViewsMade;
        return std::make_unique<FakeAdMobView>(delegate, state_);
    }
    std::unique_ptr<ads::MobclixAdView> makeMobclixBannerView(const QRect& frame) override {
        ++state_->mobclixViewsMade;
        auto view = std::make_unique<FakeMobclixAdView>(state_);
        view->setGeometry(frame);
        return view;
    }
    void endApplication() override { state_->ended = true; }

private:
    std::shared_ptr<FakeAdState> state_;
};

}  // namespace nestora::test
