#include "ui/WebView.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTextDocument>

#include <algorithm>
#include <string_view>

#include "ui/BundleImages.h"

namespace nestora::ui {

namespace {

bool isHttp(const QUrl& url) {
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

int effectivePort(const QUrl& url) { return url.port(url.scheme() == QLatin1String("https") ? 443 : 80); }

// What stands in an image's place until it arrives, and for good when it
// does not: nothing to see. Any answer at all also keeps the document from
// looking for the name as a local file, or drawing a "broken image" icon.
QImage emptyImage() {
    QImage image(1, 1, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void abortQuietly(QNetworkReply* reply, QObject* receiver) {
    reply->disconnect(receiver);
    reply->abort();
    reply->deleteLater();
}

}  // namespace

WebView::WebView(QWidget* parent) : QTextBrowser(parent), network_(std::make_unique<QNetworkAccessManager>()) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &WebView::linkClicked);
}

WebView::~WebView() { stopLoading(); }

void WebView::stopLoading() {
    if (reply_) {
        abortQuietly(reply_, this);
        reply_ = nullptr;
    }
    dropImages();
}

QVariant WebView::loadResource(int type, const QUrl& name) {
    if (type != QTextDocument::ImageResource) {
        // Style sheets and the like: an empty answer, never a file.
        return QByteArray("");
    }
    const QUrl url = url_.resolved(name);
    if (!imagesAsked_.contains(name) && imagesAsked_.size() < kImagesPerPage && mayFetchImage(url)) {
        imagesAsked_.insert(name, true);
        fetchImage(name, url);
    }
    return emptyImage();
}

bool WebView::mayFetchImage(const QUrl& url) const {
    // The page's own origin: scheme, host and port.
    return isHttp(url) && url.scheme() == url_.scheme() && url.userInfo().isEmpty() && !url.host().isEmpty() &&
           url.host() == url_.host() && effectivePort(url) == effectivePort(url_);
}

void WebView::loadRequest(const QUrl& url) {
    if (mayStart(url, NavigationType::Other)) {
        start(url);
    }
}

void WebView::linkClicked(const QUrl& link) {
    const QUrl target = url_.resolved(link);
    if (mayStart(target, NavigationType::LinkClicked)) {
        start(target);
    }
}

bool WebView::mayStart(const QUrl& url, NavigationType type) {
    return delegate_ == nullptr || delegate_->webViewShouldStartLoad(*this, url, type);
}

QNetworkReply* WebView::get(const QUrl& url) {
    QNetworkRequest request(url);
    request.setTransferTimeout(transferTimeoutMs_);
    // Each hop of a redirect is put to whoever asked, like any other request.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    return network_->get(request);
}

void WebView::start(const QUrl& url) {
    if (reply_) {
        abortQuietly(reply_, this);
    }
    QNetworkReply* reply = get(url);
    reply_ = reply;
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl& target) {
        if (mayStart(target, NavigationType::Other)) {
            emit reply->redirectAllowed();
        } else {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > pageLimit_) {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
}

void WebView::finished(QNetworkReply* reply) {
    reply->deleteLater();
    reply_ = nullptr;
    if (reply->error() != QNetworkReply::NoError) {
        if (delegate_ != nullptr) {
            delegate_->webViewDidFailLoad(*this);
        }
        return;
    }
    // The page before this one takes its images with it.
    dropImages();
    document()->clear();
    url_ = reply->url();
    setHtml(QString::fromUtf8(reply->readAll()));
    if (delegate_ != nullptr) {
        delegate_->webViewDidFinishLoad(*this);
    }
}

void WebView::fetchImage(const QUrl& name, const QUrl& url) {
    QNetworkReply* reply = get(url);
    imageReplies_.emplace_back(reply);
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl& target) {
        if (mayFetchImage(target)) {
            emit reply->redirectAllowed();
        } else {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > static_cast<qint64>(kImageByteLimit)) {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, name] { imageFetched(reply, name); });
}

void WebView::imageFetched(QNetworkReply* reply, const QUrl& name) {
    reply->deleteLater();
    std::erase_if(imageReplies_, [reply](const QPointer<QNetworkReply>& r) { return r.isNull() || r == reply; });
    if (reply->error() != QNetworkReply::NoError) {
        return;
    }
    const QByteArray bytes = reply->readAll();
    const QImage image = imageFromBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (image.isNull()) {
        return;
    }
    document()->addResource(QTextDocument::ImageResource, name, image);
    // Lays the page out again around the picture's own size.
    document()->markContentsDirty(0, document()->characterCount());
    viewport()->update();
    emit imageLoaded(name);
}

void WebView::dropImages() {
    for (const QPointer<QNetworkReply>& reply : imageReplies_) {
        if (reply) {
            abortQuietly(reply, this);
        }
    }
    imageReplies_.clear();
    imagesAsked_.clear();
}

}  // namespace nestora::ui
