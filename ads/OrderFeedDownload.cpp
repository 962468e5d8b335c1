#include "ads/OrderFeedDownload.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "ads/OrderFeed.h"

namespace nestora::ads {

OrderFeedDownload::OrderFeedDownload() = default;

OrderFeedDownload::~OrderFeedDownload() {
    cancel();
}

void OrderFeedDownload::start(const QUrl& url, std::chrono::milliseconds timeout) {
    cancel();
    // Made at the first start, not with the strip: the app's launch does not
    // pay for the network machinery.
    if (!network_) {
        network_ = std::make_unique<QNetworkAccessManager>();
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(timeout.count()));
    QNetworkReply* reply = network_->get(request);
    reply_ = reply;
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        // Later pieces are never looked at, nor is more of this one than the
        // feed can use.
        const QByteArray firstPiece = reply->read(static_cast<qint64>(kFeedBytesRead));
        cancel();
        emit didReceiveData(firstPiece);
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        const bool failed = reply->error() != QNetworkReply::NoError;
        cancel();
        if (failed) {
            emit didFail();
        }
    });
}

void OrderFeedDownload::cancel() {
    if (!reply_) {
        return;
    }
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

}  // namespace nestora::ads
