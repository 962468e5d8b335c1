#pragma once

// The order feed's download: one GET, and of the answer only the first piece
// of data. A server that takes the connection and then says nothing counts
// as failed once the transfer has stalled for the timeout.

#include <QByteArray>
#include <QObject>
#include <QNetworkReply>
#include <QPointer>
#include <QUrl>

#include <chrono>
#include <memory>

class QNetworkAccessManager;


namespace nestora::ads {

inline constexpr std::chrono::milliseconds kFeedTimeout{30000};

class OrderFeedDownload : public QObject {
    Q_OBJECT
public:
    OrderFeedDownload();
    ~OrderFeedDownload() override;

    // Starts the GET; a download under way is cancelled first.
    void start(const QUrl& url, std::chrono::milliseconds timeout = kFeedTimeout);
    // Drops the download; nothing more is reported.
    void cancel();
    bool isRunning() const { return reply_ != nullptr; }

signals:
    // connection:didReceiveData: the first piece of the answer, whatever its
    // status; the download is over. An answer without a body reports nothing.
    void didReceiveData(const QByteArray& firstPiece);
    // connection:didFailWithError: no data came.
    void didFail();

private:
    std::unique_ptr<QNetworkAccessManager> network_;
    QPointer<QNetworkReply> reply_;
};

}  // namespace nestora::ads
