#pragma once

// A web view: loads a page over HTTP with Qt's network module and shows it
// as rich text, with its images. Every load, the first included, is put to
// the delegate before it starts; a link click is resolved against the page
// and put to the delegate, never followed on its own.
//
// The page cannot make the view read a file or fetch from anywhere but its
// own host: an image is fetched only over HTTP from the scheme, host and port
// the page came from (each redirect checked the same way), with the page's
// timeout, within a byte limit and a number per page, and is decoded by the
// house's image loader. An image that is refused, missing or no picture
// leaves its space empty. Style sheets a page names are not loaded.

#include <QHash>
#include <QImage>
#include <QNetworkReply>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

#include <memory>
#include <vector>

class QNetworkAccessManager;


namespace nestora::ui {

class WebView;

enum class NavigationType { LinkClicked, Other };

class WebViewDelegate {
public:
    // Whether a request may load in the view (a redirect asks again).
    virtual bool webViewShouldStartLoad(WebView& webView, const QUrl& url, NavigationType type) = 0;
    virtual void webViewDidFinishLoad(WebView& webView) = 0;
    // Also for a load the delegate refused a redirect of, and for one cut
    // off by the page limit or the transfer timeout.
    virtual void webViewDidFailLoad(WebView& webView) = 0;

protected:
    ~WebViewDelegate() = default;
};

class WebView : public QTextBrowser {
    Q_OBJECT
public:
    static constexpr qint64 kDefaultPageLimit = 2 * 1024 * 1024;
    static constexpr int kDefaultTransferTimeoutMs = 30000;
    // Images fetched for one page at most; the rest stay empty.
    static constexpr int kImagesPerPage = 32;

    explicit WebView(QWidget* parent = nullptr);
    ~WebView() override;

    // Not owned; null lets every load start and reports to nobody.
    void setDelegate(WebViewDelegate* delegate) { delegate_ = delegate; }
    // Larger pages, and transfers that stall longer, fail.
    void setPageLimit(qint64 bytes) { pageLimit_ = bytes; }
    void setTransferTimeout(int milliseconds) { transferTimeoutMs_ = milliseconds; }

    // Loads the page unless the delegate refuses; a load under way is
    // dropped for it.
    void loadRequest(const QUrl& url);
    // Drops the load under way and the page's image fetches, telling nobody.
    void stopLoading();
    bool isLoading() const { return reply_ != nullptr; }
    // The page shown (where its load ended up); links resolve against it.
    const QUrl& url() const { return url_; }

    // What a click on a link in the page does.
    void linkClicked(const QUrl& link);

    // Whether an image at `url` may be fetched for the page shown.
    bool mayFetchImage(const QUrl& url) const;
    // Images of the page still being fetched.
    int imagesLoading() const { return static_cast<int>(imageReplies_.size()); }

signals:
    // An image of the page arrived and is drawn.
    void imageLoaded(const QUrl& url);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    bool mayStart(const QUrl& url, NavigationType type);
    void start(const QUrl& url);
    void finished(QNetworkReply* reply);
    QNetworkReply* get(const QUrl& url);
    void fetchImage(const QUrl& name, const QUrl& url);
    void imageFetched(QNetworkReply* reply, const QUrl& name);
    void dropImages();

    WebViewDelegate* delegate_ = nullptr;
    std::unique_ptr<QNetworkAccessManager> network_;
    QPointer<QNetworkReply> reply_;
    std::vector<QPointer<QNetworkReply>> imageReplies_;
    QHash<QUrl, bool> imagesAsked_;  // by the name the page gives
    QUrl url_;
    qint64 pageLimit_ = kDefaultPageLimit;
    int transferTimeoutMs_ = kDefaultTransferTimeoutMs;
};

}  // namespace nestora::ui
