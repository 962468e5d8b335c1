#include "ads/AltAds.h"

#include <QDesktopServices>
#include <QEvent>

#include "ads/AdLinkRule.h"
#include "ads/AdStorage.h"
#include "ads/OrderFeed.h"
#include "platform/PrivilegedFiles.h"
#include "platform/SystemLog.h"
#include "ui/QtOwnership.h"

namespace nestora::ads {

namespace {

const QRect kMobclixFrame(10, 5, 300, 50);
const QRect kAdMobFrame(0, 5, 320, 48);
const QRect kWebAdFrame(0, 0, AltAds::kWidth, AltAds::kHeight);

QPalette blackPalette(QPalette palette) {
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::Base, Qt::black);
    return palette;
}

QUrl urlOnHost(const std::string& host, std::string_view path) {
    return QUrl(QStringLiteral("http://") + QString::fromStdString(host) +
                QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
}

}  // namespace

AdShownFlags& processAdShownFlags() {
    static AdShownFlags flags;
    return flags;
}

AltAds::AltAds(const QRect& frame, QWidget* window, AdsConfiguration configuration, AltAdsServices services)
    : configuration_(std::move(configuration)),
      networks_(services.networks ? std::move(services.networks) : makeMinimalAdNetworks()),
      shownFlags_(services.shownFlags != nullptr ? *services.shownFlags : processAdShownFlags()),
      openUrl_(services.openUrl ? std::move(services.openUrl)
                                : [](const QUrl& url) { QDesktopServices::openUrl(url); }),
      feedUrl_(urlOnHost(configuration_.host, kOrderFeedPath)),
      feedTimeout_(services.feedTimeout) {
    platform::systemLog("Start alta\n");
    prepareAdStorage();
    platform::systemLog("Made dirs\n");

    setGeometry(frame);
    adTimer_.setSingleShot(true);
    connect(&adTimer_, &QTimer::timeout, this, &AltAds::AdTimerExpired);
    connect(&autoslider_, &QTimer::timeout, this, &AltAds::refreshAdmob);

    platform::systemLog("Making spacerview\n");
    spacer_ = ui::makeChild<QWidget>(this);
    spacer_->setObjectName(QStringLiteral("spacer"));
    spacer_->setGeometry(0, 0, kWidth, kHeight);
    spacer_->setAutoFillBackground(true);
    spacer_->setPalette(blackPalette(spacer_->palette()));
    platform::systemLog("Spacerview released\n");

    // The feed is asked for once the strip has been drawn: the app's first
    // frame waits neither on the network nor on an ad that answers early.
    connect(&feed_, &OrderFeedDownload::didReceiveData, this, &AltAds::connectionDidReceiveData);
    connect(&feed_, &OrderFeedDownload::didFail, this, &AltAds::connectionDidFailWithError);
    spacer_->installEventFilter(this);

    platform::systemLog("Analytics start\n");
    platform::systemLog("addSubview\n");
    if (window != nullptr) {
        setParent(window);
        show();
    }
}

AltAds::~AltAds() {
    feed_.cancel();
    adTimer_.stop();
    autoslider_.stop();
    delete adView_.data();
    delete adMcView_.data();
    delete adMobAd_.data();
    networks_->endApplication();
}

bool AltAds::eventFilter(QObject* watched, QEvent* event) {
    if (watched == spacer_ && event->type() == QEvent::Paint && !feedRequested_) {
        feedRequested_ = true;
        spacer_->removeEventFilter(this);
        // After the whole frame: the loop comes round once it is painted.
        QTimer::singleShot(0, this, &AltAds::requestOrderFeed);
    }
    return QWidget::eventFilter(watched, event);
}

void AltAds::requestOrderFeed() {
    feed_.start(feedUrl_, feedTimeout_);
}

void AltAds::MobclixEndApplication() {
    endApplicationFixup(privileged::lookupOwner("mobile", "mobile"));
}

QUrl AltAds::ownAdUrl() const {
    return urlOnHost(configuration_.host, kOwnAdPath);
}

void AltAds::stopAdTimers() {
    platform::systemLog("Stopping ad loops\n");
    rotation_.stop();
    autoslider_.stop();
}

// The order feed.

void AltAds::connectionDidReceiveData(const QByteArray& firstPiece) {
    const std::string_view text(firstPiece.constData(), static_cast<std::size_t>(firstPiece.size()));
    startSource(rotation_.feedReceived(text));
}

void AltAds::connectionDidFailWithError() {
    startSource(rotation_.feedFailed());
}

void AltAds::startSource(AdSource source) {
    switch (source) {
    case AdSource::AdMob:
        startAdmob();
        platform::systemLog("Admob req");
        break;
    case AdSource::Mobclix:
        platform::systemLog("Mobclix req");
        startMobclix();
        break;
    case AdSource::OwnWebAd:
        startMyOwnAds();
        break;
    }
}

// Starting a source.

void AltAds::startAdmob() {
    platform::systemLog("Starting Admob\n");
    rotation_.sourceStarted(AdSource::AdMob);
    replaceAdMobAd(networks_->requestAdWithDelegate(*this));
}

void AltAds::startMobclix() {
    platform::systemLog("Starting Mobclix\n");
    rotation_.sourceStarted(AdSource::Mobclix);
    // One banner view for the strip's life: a second one could never be
    // shown (the view joins the strip once), while the first went stale.
    if (!adMcView_) {
        adMcView_ = ui::adoptChild(networks_->makeMobclixBannerView(kMobclixFrame), this);
        adMcView_->hide();
        adMcView_->setAdCode(configuration_.mobclixApplicationId);
        adMcView_->setDelegate(this);
    }
    RefreshAd();
}

void AltAds::startMyOwnAds() {
    platform::systemLog("Starting myOwn\n");
    // One web view for the strip's life, for the same reason as Mobclix's.
    if (!adView_) {
        adView_ = ui::makeChild<ui::WebView>(this);
        adView_->setGeometry(kWebAdFrame);
        adView_->setPalette(blackPalette(adView_->palette()));
        adView_->setFrameShape(QFrame::NoFrame);
        adView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        adView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        adView_->hide();
        adView_->setDelegate(this);
    }
    rotation_.sourceStarted(AdSource::OwnWebAd);
    RefreshAd();
}

// The refresh loops.

void AltAds::RefreshAd() {
    const RefreshStep step = rotation_.refreshAd();
    switch (step.load) {
    case RefreshStep::Load::OwnWebAd:
        if (adView_ && !adView_->isLoading()) {
            loadAdInFrame_ = true;
            adView_->loadRequest(ownAdUrl());
        }
        break;
    case RefreshStep::Load::MobclixAd:
        if (adMcView_) {
            adMcView_->getAd();
        }
        break;
    case RefreshStep::Load::Nothing:
        break;
    }
    // Restarting the one timer replaces a pending turn: a source started
    // while the loop waits does not add a second loop.
    adTimer_.start(step.nextTurn);
}

void AltAds::AdTimerExpired() {
    if (!rotation_.adTimerShouldStop()) {
        RefreshAd();
    }
}

void AltAds::refreshAdmob() {
    if (rotation_.adTimerShouldStop()) {
        autoslider_.stop();
        return;
    }
    platform::systemLog("Refresh Add running\n");
    if (adMobAd_) {
        adMobAd_->requestFreshAd();
    }
}

void AltAds::IncrementCurrentAdAndTryNext() {
    const AdSource next = rotation_.nextSource();
    switch (next) {
    case AdSource::AdMob:
        startAdmob();
        break;
    case AdSource::Mobclix:
        startMobclix();
        break;
    case AdSource::OwnWebAd:
        startMyOwnAds();
        break;
    }
}

// AdMob.

void AltAds::replaceAdMobAd(std::unique_ptr<AdMobView> view) {
    giveUpAdMobAd();
    adMobAd_ = ui::adoptChild(std::move(view), this);
    adMobAd_->hide();
}

void AltAds::giveUpAdMobAd() {
    if (adMobAd_) {
        // It may be reporting right now: delete it once that is over.
        adMobAd_->hide();
        adMobAd_->deleteLater();
    }
    adMobAd_ = nullptr;
    adMobAdShown_ = false;
    // Its refresh has no view left to ask.
    autoslider_.stop();
}

void AltAds::didReceiveAd(AdMobView& view) {
    if (&view != adMobAd_) {
        return;  // a view given up meanwhile
    }
    platform::systemLog("AdMob: Did receive ad");
    view.setGeometry(kAdMobFrame);
    if (!adMobAdShown_) {
        showInStrip(view);
        adMobAdShown_ = true;
        platform::systemLog("Adding av\n");
    }
    // Every refresh reports again: one repeating timer, not one more each time.
    if (!autoslider_.isActive()) {
        autoslider_.start(rotation_.admobRefreshPeriod());
    }
}

void AltAds::didFailToReceiveAd(AdMobView& view) {
    if (&view != adMobAd_) {
        return;
    }
    platform::systemLog("AdMob: Did fail to receive ad");
    giveUpAdMobAd();
    IncrementCurrentAdAndTryNext();
}

QColor AltAds::adBackgroundColor() {
    platform::systemLog("BackgroundColor\n");
    return QColor(0, 0, 0, 255);
}

bool AltAds::mayAskForLocation() {
    platform::systemLog("May ask for location: no\n");
    return false;
}

// Mobclix.

void AltAds::adViewDidFinishLoad(MobclixAdView& view) {
    platform::systemLog("Got mobclix ad\n");
    if (!shownFlags_.mobclixShown) {
        platform::systemLog("Adding mobclix to window\n");
        showInStrip(view);
        shownFlags_.mobclixShown = true;
    }
}

void AltAds::adViewDidFailLoad(MobclixAdView&) {
    platform::systemLog("Mobclix failed to fill. Trying admob\n");
    // The Mobclix loop keeps running beside this request.
    replaceAdMobAd(networks_->requestAdWithDelegate(*this));
}

// The own web ad.

bool AltAds::webViewShouldStartLoad(ui::WebView&, const QUrl& url, ui::NavigationType) {
    const QByteArray encoded = url.toEncoded();
    const std::string_view text(encoded.constData(), static_cast<std::size_t>(encoded.size()));
    switch (decideAdLink(text, configuration_.host, loadAdInFrame_)) {
    case LinkDecision::LoadInStrip:
        return true;
    case LinkDecision::Refuse:
        return false;
    case LinkDecision::OpenOutside:
        openUrl_(url);
        return false;
    case LinkDecision::Ignore:
        platform::systemLog("%s", ignoredLinkLogLine(text).c_str());
        return false;
    }
    return false;
}

void AltAds::webViewDidFinishLoad(ui::WebView& webView) {
    loadAdInFrame_ = false;
    platform::systemLog("AltAds received an ad\n");
    if (!shownFlags_.ownAdShown) {
        shownFlags_.ownAdShown = true;
        showInStrip(webView);
    }
}

void AltAds::webViewDidFailLoad(ui::WebView&) {
    loadAdInFrame_ = false;
    platform::systemLog("AltAds did fail to fetch ad\n");
}

void AltAds::showInStrip(QWidget& view) {
    view.show();
    view.raise();
}

void AltAds::mouseReleaseEvent(QMouseEvent*) {
    platform::systemLog("Clicked\n");
}

}  // namespace nestora::ads
