#include "ui/WebView.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace nestora::ui {

WebView::WebView(QWidget* parent) : QTextBrowser(parent), network_(std::make_unique<QNetworkAccessManager>()) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &WebView::linkClicked);
}

WebView::~WebView() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

QVariant WebView::loadResource(int, const QUrl&) {
    return {};
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

void WebView::start(const QUrl& url) {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(transferTimeoutMs_);
    // Each hop of a redirect is put to the delegate like any other request.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply* reply = network_->get(request);
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
    url_ = reply->url();
    setHtml(QString::fromUtf8(reply->readAll()));
    if (delegate_ != nullptr) {
        delegate_->webViewDidFinishLoad(*this);
    }
}

}  // namespace nestora::ui
