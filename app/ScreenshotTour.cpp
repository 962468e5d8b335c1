// nestora_screenshot_tour OUTPUT_FOLDER
//
// Opens the app on the device root (NESTORA_DEVICE_ROOT), walks the category
// list screen and saves a picture of each state: an alert shown at launch
// (if any), the list in normal mode,
// in edit mode, the add alert, and the help page. The ad strip along the
// bottom shows the own web ad when the bundle's ads host serves one. Nothing on the device is
// changed: the add alert is cancelled and the app ends without the exit
// steps. The help page comes from a loopback stand-in for the help host,
// since the real one is not reachable from here.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextBrowser>

#include <cstdio>

#include "ads/AltAds.h"
#include "ui/AlertView.h"
#include "app/Nestora.h"
#include "app/RootViewController.h"
#include "app/WebViewController.h"

namespace {

const char* const kHelpPage =
    "<html><body style='font-family: Helvetica'>"
    "<h2>Nestora help</h2>"
    "<p>A <b>category</b> is an icon on your home screen that holds other apps.</p>"
    "<ul><li><b>Add</b> makes a new category; type its title.</li>"
    "<li><b>Edit</b> lets you rename a category, change its icon, open its settings, or delete it.</li>"
    "<li>Tap a category to put apps into it. They disappear from the home screen until you take them out.</li>"
    "<li>The home screen restarts when you leave Nestora, so that it shows your changes.</li></ul>"
    "</body></html>";

// Answers every request with the help page.
class HelpStandIn : public QTcpServer {
public:
    HelpStandIn() {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    socket->readAll();
                    const QByteArray body(kHelpPage);
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(serverPort()); }
};

void pump(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

bool anyAlertShown(QWidget* window) {
    for (auto* alert : window->findChildren<nestora::ui::AlertView*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (alert->isVisible()) {
            return true;
        }
    }
    return false;
}

bool shoot(QWidget* window, const QDir& folder, const char* name) {
    pump(100);
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!window->grab().save(path, "PNG")) {
        std::fprintf(stderr, "nestora_screenshot_tour: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("  %s\n", qPrintable(path));
    return true;
}

// Dismisses whatever alert is up (the about alert, the recovered alert, the
// add alert's "Cancel").
void dismissAlerts(QWidget* window) {
    for (auto* alert : window->findChildren<nestora::ui::AlertView*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (alert->isVisible()) {
            alert->clickButton(0);
        }
    }
    pump(50);
}

// Every picture shows the strip: give the own web ad, when the ads host
// serves one, the time to arrive first.
void waitForTheAdStrip(const nestora::app::Nestora& nestora) {
    const nestora::ads::AltAds* strip = nestora.altAds();
    QElapsedTimer timer;
    timer.start();
    while (strip != nullptr && timer.elapsed() < 5000 &&
           !(strip->adView() != nullptr && strip->adView()->isVisible())) {
        pump(20);
    }
    const bool shown = strip != nullptr && strip->adView() != nullptr && strip->adView()->isVisible();
    std::printf("  ad strip: %s\n", shown ? "own web ad shown" : "no ad (black)");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: nestora_screenshot_tour OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "nestora_screenshot_tour: cannot create %s\n", argv[1]);
        return 1;
    }
    HelpStandIn help;
    // The ad strip's host comes from the bundle, as the app has it.
    nestora::app::WebHosts hosts = nestora::app::configuredWebHosts();
    hosts.helpBaseUrl = hosts.changelogBaseUrl = help.baseUrl();
    nestora::app::Nestora nestora(hosts);
    nestora.applicationDidFinishLaunching();
    QWidget* window = nestora.window();
    nestora::app::RootViewController& list = *nestora.rootViewController();

    waitForTheAdStrip(nestora);
    bool ok = true;
    if (anyAlertShown(window)) {
        ok &= shoot(window, folder, "0-launch-alert.png");
        dismissAlerts(window);
    }
    ok &= shoot(window, folder, "1-list.png");
    list.editButtonTapped();
    ok &= shoot(window, folder, "2-edit-mode.png");
    list.editButtonTapped();
    list.addButtonTapped();
    for (auto* field : window->findChildren<QLineEdit*>()) {
        if (field->isVisible()) {
            field->setText(QStringLiteral("Games"));
        }
    }
    ok &= shoot(window, folder, "3-add-alert.png");
    dismissAlerts(window);  // "Cancel"
    list.helpTapped();
    if (auto* page = dynamic_cast<nestora::app::WebViewController*>(list.modalViewController())) {
        QElapsedTimer timer;
        timer.start();
        while (!page->webView().isVisible() && timer.elapsed() < 5000) {
            pump(20);
        }
    }
    ok &= shoot(window, folder, "4-help.png");
    return ok ? 0 : 1;
}
