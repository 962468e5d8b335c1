// The help viewer against a loopback HTTP server: load, failure, "Back"
// while loading, reloading, links.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QHostAddress>
#include <QImage>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextBrowser>
#include <QTest>

#include "ui/NavigationBar.h"
#include "app/RootViewController.h"
#include "app/WebViewController.h"
#include "tests/app/AppTestSupport.h"
#include "ui/Transition.h"

namespace nestora::app {
namespace {

// Serves a few fixed pages on 127.0.0.1; "/slow" never answers.
class LoopbackServer : public QObject {
public:
    LoopbackServer() {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            }
        });
    }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(server_.serverPort()); }
    const QStringList& requests() const { return requests_; }

private:
    void answer(QTcpSocket* socket) {
        const QByteArray request = socket->readAll();
        const QByteArray path = request.split(' ').value(1);
        requests_ << QString::fromLatin1(path);
        if (path == "/slow") {
            return;
        }
        QByteArray body;
        QByteArray status = "200 OK";
        if (path == "/apps/NestoraHelp.php" || path == "/moreinfo/NestoraCL.php" || path == "/more.php") {
            body = "<html><head><title>Page title</title></head><body><h1>Page " + path +
                   "</h1><p><a href=\"/more.php\">more</a> <a href=\"http://elsewhere.example/x\">away</a>"
                   " <a href=\"file:///etc/passwd\">file</a></p></body></html>";
        } else if (path == "/illustrated.php") {
            const QByteArray port = QByteArray::number(server_.serverPort());
            body = "<html><body><h1>Pictures</h1><img src=\"/logo.png\"><img src=\"http://localhost:" + port +
                   "/elsewhere.png\"></body></html>";
        } else if (path == "/logo.png" || path == "/elsewhere.png") {
            QImage picture(48, 48, QImage::Format_RGB32);
            picture.fill(path == "/logo.png" ? QColor(0, 120, 255) : QColor(255, 0, 0));
            QBuffer buffer(&body);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "PNG");
        } else {
            status = "404 Not Found";
            body = "<html><body>missing</body></html>";
        }
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QStringList requests_;
};

class AppWebView : public ::testing::Test {
protected:
    void SetUp() override {
        device_.makeCategory("Category000", "Games");
        nestora_ = std::make_unique<Nestora>(WebHosts{server_.baseUrl(), server_.baseUrl(), {}});
        nestora_->applicationDidFinishLaunching();
    }
    RootViewController& screen() { return *nestora_->rootViewController(); }
    // The page presented, in place: its slide up ended at once.
    WebViewController* shown() {
        ui::Transition::finishAll();
        return dynamic_cast<WebViewController*>(screen().modalViewController());
    }

    // Presents the help viewer on a page that cannot load and waits until it says so.
    WebViewController* presentFailedPage(const QString& url) {
        auto page = std::make_unique<WebViewController>(url, QStringLiteral("Help"));
        WebViewController* raw = page.get();
        bool failed = false;
        QObject::connect(raw, &WebViewController::loadFailed, [&failed] { failed = true; });
        screen().presentModalViewController(std::move(page));
        EXPECT_TRUE(test::waitUntil([&] { return failed; }));
        return raw;
    }

    test::AppDevice device_;
    LoopbackServer server_;
    std::unique_ptr<Nestora> nestora_;
};

TEST_F(AppWebView, HelpPageHiddenUntilLoadedThenShown) {
    QTest::mouseClick(screen().helpButton(), Qt::LeftButton);
    WebViewController* page = shown();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->titleBar().titleText(), QStringLiteral("Help"));
    ASSERT_NE(page->titleBar().leftButton(), nullptr);
    EXPECT_EQ(page->titleBar().leftButton()->text(), QStringLiteral("Back"));
    EXPECT_EQ(page->url().toStdString(), server_.baseUrl() + "/apps/NestoraHelp.php");
    EXPECT_FALSE(page->webView().isVisible());
    ASSERT_NE(page->progressHud(), nullptr);
    EXPECT_TRUE(page->progressHud()->isSpinning());
    EXPECT_EQ(page->progressHud()->window(), nestora_->window());
    test::saveScreenshot(*nestora_->window(), QStringLiteral("help-loading"));

    ASSERT_TRUE(test::waitUntil([&] { return page->webView().isVisible(); }));
    EXPECT_EQ(page->progressHud(), nullptr);
    EXPECT_TRUE(page->webView().toPlainText().contains(QStringLiteral("Page /apps/NestoraHelp.php")));
    // The bar keeps the title it was given, not the page's own.
    EXPECT_EQ(page->titleBar().titleText(), QStringLiteral("Help"));
    test::saveScreenshot(*nestora_->window(), QStringLiteral("help-page"));

    QTest::mouseClick(page->titleBar().leftButton(), Qt::LeftButton);
    test::settle();
    EXPECT_EQ(screen().modalViewController(), nullptr);
}

// The page may load while the screen still slides up: it is shown, and no
// overlay is put up over it when the slide ends.
TEST_F(AppWebView, APageLoadedDuringTheSlideGetsNoOverlayOverIt) {
    QTest::mouseClick(screen().helpButton(), Qt::LeftButton);
    auto* page = dynamic_cast<WebViewController*>(screen().modalViewController());
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(test::waitUntil([&] { return page->webView().isVisibleTo(page); }));
    ui::Transition::finishAll();
    EXPECT_EQ(page->progressHud(), nullptr);
    EXPECT_TRUE(page->webView().isVisible());
}

TEST_F(AppWebView, ThePageIsShownWholeIn420Points) {
    screen().helpTapped();
    WebViewController* page = shown();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(test::waitUntil([&] { return page->webView().isVisible(); }));
    // The screen keeps its 320 x 420 at the screen stack's place, though the
    // stack is only 413 high: the last 7 points of the page are not cut off.
    EXPECT_EQ(page->geometry(), QRect(0, 12, 320, 420));
    EXPECT_EQ(page->webView().geometry(), QRect(0, 44, 320, 376));
    EXPECT_EQ(page->webView().visibleRegion().boundingRect(), page->webView().rect());
}

TEST_F(AppWebView, ChangeLogComesFromItsOwnPath) {
    screen().changelogTapped();
    ASSERT_NE(shown(), nullptr);
    EXPECT_EQ(shown()->titleBar().titleText(), QStringLiteral("Change Log"));
    ASSERT_TRUE(test::waitUntil([&] { return shown()->webView().isVisible(); }));
    EXPECT_EQ(server_.requests(), QStringList{QStringLiteral("/moreinfo/NestoraCL.php")});
}

TEST_F(AppWebView, FailedLoadShowsNothingAndKeepsSpinning) {
    WebViewController* raw = presentFailedPage(QString::fromStdString(server_.baseUrl() + "/missing"));
    ASSERT_FALSE(HasFailure());
    EXPECT_FALSE(raw->webView().isVisible());
    ASSERT_NE(raw->progressHud(), nullptr);
    EXPECT_TRUE(raw->progressHud()->isVisible());
    EXPECT_EQ(test::visibleAlert(nestora_->window()), nullptr);  // no message
    raw->backButtonTapped();
    test::settle();
    EXPECT_EQ(screen().modalViewController(), nullptr);
    EXPECT_TRUE(nestora_->window()->findChildren<ui::ProgressOverlay*>().isEmpty());
}

TEST_F(AppWebView, UnreachableHostFailsQuietly) {
    WebViewController* raw = presentFailedPage(QStringLiteral("http://127.0.0.1:1/apps/NestoraHelp.php"));
    ASSERT_FALSE(HasFailure());
    EXPECT_FALSE(raw->webView().isVisible());
}

TEST_F(AppWebView, BackWhileLoadingRemovesTheOverlay) {
    screen().presentModalViewController(std::make_unique<WebViewController>(
        QString::fromStdString(server_.baseUrl() + "/slow"), QStringLiteral("Help")));
    ASSERT_TRUE(test::waitUntil([&] { return server_.requests().contains(QStringLiteral("/slow")); }));
    ASSERT_NE(shown()->progressHud(), nullptr);
    QTest::mouseClick(shown()->titleBar().leftButton(), Qt::LeftButton);
    test::settle();
    EXPECT_EQ(screen().modalViewController(), nullptr);
    EXPECT_TRUE(nestora_->window()->findChildren<ui::ProgressOverlay*>().isEmpty());
    EXPECT_TRUE(nestora_->window()->findChildren<WebViewController*>().isEmpty());
}

TEST_F(AppWebView, OpeningTwiceLoadsTwice) {
    for (int i = 0; i < 2; ++i) {
        screen().helpTapped();
        ASSERT_TRUE(test::waitUntil([&] { return shown() != nullptr && shown()->webView().isVisible(); }));
        shown()->backButtonTapped();
        test::settle();
    }
    EXPECT_EQ(server_.requests().count(QStringLiteral("/apps/NestoraHelp.php")), 2);
}

TEST_F(AppWebView, LinksStayOnTheHost) {
    screen().helpTapped();
    WebViewController* page = shown();
    ASSERT_TRUE(test::waitUntil([&] { return page->webView().isVisible(); }));
    page->linkClicked(QUrl(QStringLiteral("http://elsewhere.example/x")));
    page->linkClicked(QUrl(QStringLiteral("file:///etc/passwd")));
    test::settle();
    EXPECT_EQ(server_.requests().size(), 1);
    page->linkClicked(QUrl(QStringLiteral("/more.php")));
    ASSERT_TRUE(test::waitUntil([&] { return page->webView().toPlainText().contains(QStringLiteral("/more.php")); }));
    EXPECT_EQ(server_.requests().last(), QStringLiteral("/more.php"));
}

// Pictures in a page come from the page's host; one from anywhere else is
// not even asked for.
TEST_F(AppWebView, APagesImagesFromItsHostAreDrawnAndNoOthers) {
    auto page = std::make_unique<WebViewController>(QString::fromStdString(server_.baseUrl() + "/illustrated.php"),
                                                    QStringLiteral("Help"));
    WebViewController* raw = page.get();
    screen().presentModalViewController(std::move(page));
    ASSERT_TRUE(test::waitUntil([&] { return raw->webView().isVisible(); }));
    ASSERT_TRUE(test::waitUntil([&] { return server_.requests().contains(QStringLiteral("/logo.png")); }));
    ASSERT_TRUE(test::waitUntil([&] { return raw->webView().imagesLoading() == 0; }));
    test::settle();
    EXPECT_FALSE(server_.requests().contains(QStringLiteral("/elsewhere.png")));
    const QImage shown = raw->webView().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int blue = 0;
    int red = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            blue += shown.pixel(x, y) == qRgb(0, 120, 255);
            red += shown.pixel(x, y) == qRgb(255, 0, 0);
        }
    }
    EXPECT_EQ(blue, 48 * 48);
    EXPECT_EQ(red, 0);
    test::saveScreenshot(*nestora_->window(), QStringLiteral("help-page-with-image"));
}

}  // namespace
}  // namespace nestora::app
