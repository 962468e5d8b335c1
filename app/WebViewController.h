#pragma once

// A modal page viewer with a title bar and "Back": fetches one page over HTTP
// and shows it, with its images, once the first load has finished; a spinner
// covers the window until then. A failed load shows nothing; the spinner
// stays until "Back". Pages come only from the host of the address the
// screen was made with: links and redirects elsewhere are not followed.

#include <QPointer>
#include <QString>
#include <QUrl>

#include "ui/ProgressOverlay.h"
#include "ui/ViewController.h"
#include "ui/WebView.h"

namespace nestora::ui {
class NavigationBar;
}  // namespace nestora::ui

namespace nestora::app {

class WebViewController : public ui::ViewController, public ui::WebViewDelegate {
    Q_OBJECT
public:
    // Pages larger than this are not shown (the load counts as failed).
    static constexpr qint64 kPageLimit = ui::WebView::kDefaultPageLimit;

    WebViewController(QString urlString, QString title);
    ~WebViewController() override;

    const QString& url() const { return url_; }
    ui::NavigationBar& titleBar() const { return *titleBar_; }
    ui::WebView& webView() const { return *webView_; }
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

    // ui::WebViewDelegate
    bool webViewShouldStartLoad(ui::WebView& webView, const QUrl& url, ui::NavigationType type) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoad(ui::WebView& webView) override;

signals:
    // For those who wait on the page (tests): a load finished or failed.
    void loadFinished();
    void loadFailed();

private:
    void removeProgressHud();

    QString url_;
    ui::NavigationBar* titleBar_ = nullptr;
    ui::WebView* webView_ = nullptr;
    QPointer<ui::ProgressOverlay> progressHud_;
    bool loadedOnce_ = false;  // the first load has finished
};

}  // namespace nestora::app
