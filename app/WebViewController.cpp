#include "app/WebViewController.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTextBrowser>

#include "ui/NavigationBar.h"
#include "ui/ProgressOverlay.h"
#include "ui/QtOwnership.h"
#include "platform/SystemLog.h"

namespace nestora::app {

namespace {

constexpr int kTransferTimeoutMs = 30000;

// Shows rich text only: it never reads local files or fetches images that a
// page names, so a page cannot make the app touch anything but the page.
class PageView : public QTextBrowser {
public:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

}  // namespace

WebViewController::WebViewController(QString urlString, QString title)
    : url_(std::move(urlString)), network_(std::make_unique<QNetworkAccessManager>()) {
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

    webView_ = ui::adoptChild(std::make_unique<PageView>(), this);
    webView_->setGeometry(0, ui::NavigationBar::kHeight, 320, 376);
    webView_->setAccessibleName(title);  // "Help", "Change Log"
    webView_->setStyleSheet(QStringLiteral("QTextBrowser { background: black; color: white; border: none; }"));
    webView_->setOpenLinks(false);
    webView_->setOpenExternalLinks(false);
    webView_->hide();
    connect(webView_, &QTextBrowser::anchorClicked, this, &WebViewController::linkClicked);
}

WebViewController::~WebViewController() {
    if (reply_) {
        reply_->abort();
    }
    removeProgressHud();
}

void WebViewController::viewWillAppear() {
    load(QUrl(url_));
}

void WebViewController::viewDidAppear() {
    removeProgressHud();
    auto overlay = std::make_unique<ui::ProgressOverlay>();
    overlay->showInWindow(this);
    progressHud_ = overlay.release();  // the window owns it now
}

void WebViewController::viewWillDisappear() {
    removeProgressHud();
    if (reply_) {
        reply_->abort();
    }
}

void WebViewController::backButtonTapped() {
    dismissModalViewController(true);
}

void WebViewController::load(const QUrl& address) {
    if (reply_) {
        reply_->abort();
    }
    currentUrl_ = address;
    QNetworkRequest request(address);
    request.setTransferTimeout(kTransferTimeoutMs);
    QNetworkReply* reply = network_->get(request);
    reply_ = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > kPageLimit) {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        if (reply_ == reply) {
            reply_ = nullptr;
        }
        if (reply->error() != QNetworkReply::NoError) {
            webViewDidFailLoad();
            return;
        }
        currentUrl_ = reply->url();
        webView_->setHtml(QString::fromUtf8(reply->readAll()));
        webViewDidFinishLoad();
    });
}

void WebViewController::webViewDidFinishLoad() {
    removeProgressHud();
    webView_->show();
    emit loadFinished();
}

void WebViewController::webViewDidFailLoad() {
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
    const QUrl target = currentUrl_.resolved(link);
    const bool web = target.scheme() == QLatin1String("http") || target.scheme() == QLatin1String("https");
    if (!web || target.host() != currentUrl_.host()) {
        platform::systemLog("Not following link %s\n", target.toString().toUtf8().constData());
        return;
    }
    load(target);
}

}  // namespace nestora::app
