#pragma once

// A modal page viewer with a title bar and "Back": fetches one page over HTTP
// and shows it once the first load has finished; a spinner covers the window
// until then. A failed load shows nothing; the spinner stays until "Back".

#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

#include "ui/ProgressOverlay.h"
#include "ui/ViewController.h"

class QNetworkAccessManager;
class QNetworkReply;
class QTextBrowser;

namespace nestora::ui {
class NavigationBar;
}  // namespace nestora::ui

namespace nestora::app {

class WebViewController : public ui::ViewController {
    Q_OBJECT
public:
    // Pages larger than this are not shown (the load counts as failed).
    static constexpr qint64 kPageLimit = 2 * 1024 * 1024;

    WebViewController(QString urlString, QString title);
    ~WebViewController() override;

    const QString& url() const { return url_; }
    ui::NavigationBar& titleBar() const { return *titleBar_; }
    QTextBrowser& webView() const { return *webView_; }
    // The spinner while it is up, else null.
    ui::ProgressOverlay* progressHud() const { return progressHud_; }

    void backButtonTapped();
    // Escape is "Back".
    void escapePressed() override { backButtonTapped(); }

    void viewWillAppear() override;
    void viewDidAppear() override;
    void viewWillDisappear() override;

    // A link in the page was clicked: pages of the same host (http or https)
    // load here; anything else is not followed.
    void linkClicked(const QUrl& link);

signals:
    // For those who wait on the page (tests): a load finished or failed.
    void loadFinished();
    void loadFailed();

private:
    void load(const QUrl& address);
    void webViewDidFinishLoad();
    void webViewDidFailLoad();
    void removeProgressHud();

    QString url_;
    QUrl currentUrl_;
    ui::NavigationBar* titleBar_ = nullptr;
    QTextBrowser* webView_ = nullptr;
    QPointer<ui::ProgressOverlay> progressHud_;
    std::unique_ptr<QNetworkAccessManager> network_;
    QPointer<QNetworkReply> reply_;
};

}  // namespace nestora::app
