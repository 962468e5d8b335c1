// The web view's images against a loopback host: drawn from the page's own
// host, never from another one or from a file, a missing one leaving its
// space empty.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTextDocument>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tests/support/TestPng.h"
#include "tests/ui/LoopbackHttpServer.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/WebView.h"

namespace nestora::ui {
namespace {

QByteArray solidPng(QSize size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Pixels of exactly this colour in what the view shows.
int pixelsOf(WebView& view, QColor colour) {
    const QImage shown = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            count += shown.pixel(x, y) == colour.rgb();
        }
    }
    return count;
}

class WebViewImages : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(320, 376);
        view.show();
    }
    QByteArray base() const { return QByteArray("http://") + QByteArray::fromStdString(server.host()); }
    void load(const QByteArray& html) {
        server.page("/page.html", html);
        view.loadRequest(QUrl(QString::fromLatin1(base() + "/page.html")));
        ASSERT_TRUE(view.isLoading());
        ASSERT_TRUE(test::waitUntil([&] { return !view.isLoading(); }));
    }
    bool settledImages() {
        return test::waitUntil([&] { return view.imagesLoading() == 0; });
    }

    test::LoopbackHttpServer server;
    WebView view;
    const QColor green{10, 200, 30};
    const QColor red{220, 20, 20};
};

TEST_F(WebViewImages, AnImageOfThePagesHostIsDrawn) {
    server.page("/banner.png", solidPng(QSize(40, 30), green));
    const test::TestPicture picture = test::patternPicture(20, 20, false);
    server.page("/optimised.png", QByteArray::fromStdString(*test::optimisedPng(test::standardPng(picture))));
    load("<html><body><p>Hello</p><img src=\"/banner.png\"><img src=\"" + base() + "/optimised.png\"></body></html>");
    ASSERT_TRUE(settledImages());
    test::settle();
    EXPECT_EQ(server.requestsFor("/banner.png"), 1);
    EXPECT_EQ(server.requestsFor("/optimised.png"), 1);
    // Drawn in its own size.
    EXPECT_EQ(pixelsOf(view, green), 40 * 30);
    const QImage optimised = view.document()->resource(QTextDocument::ImageResource, QUrl(QString::fromLatin1(
                                                           base() + "/optimised.png"))).value<QImage>();
    EXPECT_EQ(optimised.size(), QSize(20, 20));
    test::saveScreenshot(view, QStringLiteral("web-view-images"), QStringLiteral("ui"));
}

TEST_F(WebViewImages, ImagesFromElsewhereAreNeverFetchedOrRead) {
    // A picture on disk, named every way a page could name a file.
    char folder[] = "/tmp/nestora-web-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/red.png";
    const QByteArray redPicture = solidPng(QSize(30, 30), red);
    std::ofstream(file, std::ios::binary).write(redPicture.constData(), redPicture.size());
    const QByteArray port = QByteArray::number(QUrl(QString::fromLatin1(base())).port());
    server.page("/red.png", redPicture);
    server.redirect("/away.png", "http://localhost:" + port + "/red.png");
    server.redirect("/here.png", "/red.png");

    load("<html><body>"
         "<img src=\"http://localhost:" + port + "/red.png\">"             // another host name
         "<img src=\"http://127.0.0.1:1/red.png\">"                        // another port
         "<img src=\"https://127.0.0.1:" + port + "/red.png\">"            // another scheme
         "<img src=\"file://" + QByteArray(file.c_str()) + "\">"           // a file
         "<img src=\"" + QByteArray(file.c_str()) + "\">"                  // a path
         "<img src=\"data:image/png;base64," + redPicture.toBase64() + "\">"
         "<img src=\"/away.png\">"                                          // redirected away
         "</body></html>");
    ASSERT_TRUE(settledImages());
    test::settle();
    EXPECT_EQ(server.requestsFor("/red.png"), 0);
    EXPECT_EQ(server.requestsFor("/away.png"), 1);
    EXPECT_EQ(pixelsOf(view, red), 0);

    // A redirect that stays on the host is followed.
    load("<html><body><img src=\"/here.png\"></body></html>");
    ASSERT_TRUE(settledImages());
    test::settle();
    EXPECT_EQ(server.requestsFor("/red.png"), 1);
    EXPECT_EQ(pixelsOf(view, red), 30 * 30);
    std::remove(file.c_str());
    ::rmdir(folder);
}

TEST_F(WebViewImages, AMissingImageLeavesItsSpaceEmpty) {
    server.page("/text.png", "no picture at all");
    server.page("/huge.png", QByteArray(5 * 1024 * 1024, 'x'));
    load("<html><body style=\"background: white\">"
         "<img src=\"/gone.png\" width=\"60\" height=\"40\"><img src=\"/text.png\" width=\"60\" height=\"40\">"
         "<img src=\"/huge.png\" width=\"60\" height=\"40\"><p>after</p></body></html>");
    ASSERT_TRUE(settledImages());
    test::settle();
    EXPECT_EQ(server.requestsFor("/gone.png"), 1);
    // Nothing but the page's own white and its text: no picture, no
    // "broken image" sign; the text still comes after the empty space.
    const QImage shown = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 180; ++x) {
            ASSERT_EQ(shown.pixel(x + 4, y + 4), QColor(Qt::white).rgb()) << x << "," << y;
        }
    }
    EXPECT_TRUE(view.toPlainText().contains(QStringLiteral("after")));
}

TEST_F(WebViewImages, APageFetchesAFewImagesAtMostAndTheNextPageItsOwn) {
    QByteArray html = "<html><body>";
    for (int i = 0; i < WebView::kImagesPerPage + 10; ++i) {
        html += "<img src=\"/many" + QByteArray::number(i) + ".png\">";
    }
    load(html + "</body></html>");
    ASSERT_TRUE(settledImages());
    int asked = 0;
    for (int i = 0; i < WebView::kImagesPerPage + 10; ++i) {
        asked += server.requestsFor("/many" + QByteArray::number(i) + ".png");
    }
    EXPECT_EQ(asked, WebView::kImagesPerPage);

    // The same page again (the ad's refresh) fetches its images again.
    server.page("/banner.png", solidPng(QSize(10, 10), green));
    load("<html><body><img src=\"/banner.png\"></body></html>");
    ASSERT_TRUE(settledImages());
    load("<html><body><img src=\"/banner.png\"></body></html>");
    ASSERT_TRUE(settledImages());
    EXPECT_EQ(server.requestsFor("/banner.png"), 2);
}

}  // namespace
}  // namespace nestora::ui
