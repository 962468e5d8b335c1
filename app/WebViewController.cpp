#include "app/WebViewController.h"

#include "ui/NavigationBar.h"
#include "ui/ProgressOverlay.h"
#include "ui/QtOwnership.h"
#include "platform/SystemLog.h"

namespace nestora::app {

WebViewController::WebViewController(QString urlString, QString title) : url_(std::move(urlString)) {
    setTitle(title);
    // 420 points high, more than the screen stack's 413: presented at the
    // stack's top left in its own size, so the page's last points show.
    resize(320, 420);
    setKeepsOwnSizeWhenPresented(true);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    titleBar_ = ui::makeChild<ui::NavigationBar>(this);
    titleBar_->setGeometry(0, 0, 320, ui::NavigationBar::kHeight);
    auto* back = ui::makeChild<ui::BarButtonItem>(this, QStringLiteral("Back"), ui::BarButtonItem::Style::Done);
    connect(back, &ui::BarButtonItem::triggered, this, &WebViewController::backButtonTapped);
    titleBar_->showItem(title, back, nullptr, QString());

    webView_ = ui::makeChild<ui::WebView>(this);
    webView_->setGeometry(0, ui::NavigationBar::kHeight, 320, 376);
    webView_->setAccessibleName(title);  // "Help", "Change Log"
    webView_->setStyleSheet(QStringLiteral("QTextBrowser { background: black; color: white; border: none; }"));
    webView_->setPageLimit(kPageLimit);
    webView_->setDelegate(this);
    webView_->hide();
}

WebViewController::~WebViewController() {
    webView_->setDelegate(nullptr);
    webView_->stopLoading();
    removeProgressHud();
}

void WebViewController::viewWillAppear() {
    webView_->loadRequest(QUrl(url_));
}

void WebViewController::viewDidAppear() {
    removeProgressHud();
    // The screen slides in: a page that loaded during the slide is shown
    // already, and an overlay put up now would spin over it until the user
    // left.
    if (loadedOnce_) {
        return;
    }
    auto overlay = std::make_unique<ui::ProgressOverlay>();
    overlay->showInWindow(this);
    progressHud_ = overlay.release();  // the window owns it now
}

void WebViewController::viewWillDisappear() {
    removeProgressHud();
    webView_->stopLoading();
}

void WebViewController::backButtonTapped() {
    dismissModalViewController(true);
}

bool WebViewController::webViewShouldStartLoad(ui::WebView&, const QUrl& url, ui::NavigationType type) {
    const QUrl home(url_);
    if (type == ui::NavigationType::Other && url == home) {
        return true;  // the page the screen was made for
    }
    const bool web = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
    if (web && url.host() == home.host()) {
        return true;
    }
    if (type == ui::NavigationType::LinkClicked) {
        platform::systemLog("Not following link %s\n", url.toString().toUtf8().constData());
    }
    return false;
}

void WebViewController::webViewDidFinishLoad(ui::WebView&) {
    loadedOnce_ = true;
    removeProgressHud();
    webView_->show();
    emit loadFinished();
}

void WebViewController::webViewDidFailLoad(ui::WebView&) {
    // Nothing is shown: the spinner stays and the page stays hidden.
    emit loadFailed();
}

void WebViewController::removeProgressHud() {
    if (progressHud_) {
        progressHud_->done();
        progressHud_->deleteLater();
        progressHud_ = nullptr;
    }
}

void WebViewController::linkClicked(const QUrl& link) {
    webView_->linkClicked(link);
}

}  // namespace nestora::app
