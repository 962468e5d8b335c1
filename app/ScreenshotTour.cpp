// nestora_screenshot_tour OUTPUT_FOLDER
//
// Opens the app on the device root (NESTORA_DEVICE_ROOT), walks the category
// list screen and saves a picture of each state: an alert shown at launch
// (if any), the list in normal mode,
// in edit mode, the add alert, and the help page; then the editing screens
// of a category with apps in it (its contents, the add-items screen and the
// icon picker) and its settings screens. Nothing on the device is changed:
// the add alert is cancelled, nothing is chosen, and the app ends without
// the exit steps. (Opening a category that lists uninstalled apps drops
// them from its list, as the app always does; the sample device has none.)
// The help page comes from a loopback stand-in for the help host, since the
// real one is not reachable from here. The ad strip along the bottom shows
// the own web ad when the bundle's ads host serves one.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QMouseEvent>
#include <QTextBrowser>

#include <cstdio>
#include <functional>

#include "ads/AltAds.h"
#include "ui/AlertView.h"
#include "app/Nestora.h"
#include "app/RootViewController.h"
#include "app/WebViewController.h"
#include "model/CategoryItems.h"
#include "screens/editing/CategoryViewController.h"
#include "screens/editing/IconPickerController.h"
#include "screens/settings/PrefsSBViewController.h"
#include "screens/settings/PrefsViewController.h"
#include "screens/settings/SettingsCell.h"
#include "ui/NavigationController.h"
#include "ui/Transition.h"
#include "ui/SystemFont.h"

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

// The window as it is this moment, whatever is moving.
bool grabNow(QWidget* window, const QDir& folder, const char* name) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!window->grab().save(path, "PNG")) {
        std::fprintf(stderr, "nestora_screenshot_tour: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("  %s\n", qPrintable(path));
    return true;
}

bool shoot(QWidget* window, const QDir& folder, const char* name) {
    pump(100);
    nestora::ui::Transition::finishAll();  // whatever slides or fades has arrived
    pump(20);
    return grabNow(window, folder, name);
}

// The first row of a list in edit mode held by its grip and dragged down
// three quarters of a row, over the second: the second has slid up to make
// room while the held row floats between the two places. Let go where it
// started, so nothing moves.
bool shootRowMidDrag(nestora::ui::TableView& table, QWidget* window, const QDir& folder) {
    if (table.rowCount() < 2 || !table.isEditing()) {
        return true;
    }
    const int x = table.viewport()->width() - 15;
    const QPoint start(x, table.centreOfRow(0).y());
    const auto send = [&table](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), table.viewport()->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(table.viewport(), &event);
    };
    const auto moveTo = [&send](QPoint to) { send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton); };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    moveTo(start + QPoint(0, 20));
    moveTo(start + QPoint(0, table.rowHeight() * 3 / 4));
    nestora::ui::Transition::finishAll();
    pump(50);
    const bool ok = grabNow(window, folder, "5b-row-mid-drag.png");
    moveTo(start);
    send(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    nestora::ui::Transition::finishAll();
    pump(50);
    return ok;
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

// The settings screens of the first category, opened through the URL entry
// as a URL handler would open them: the screen, both pickers (cancelled),
// and the smaller screen of a device with the home-screen extension.
// Opening and cancelling store nothing.
bool shootSettings(nestora::app::Nestora& nestora, const QDir& folder) {
    nestora::app::RootViewController& list = *nestora.rootViewController();
    if (list.categories().empty()) {
        return true;
    }
    const std::string identifier = list.categories().front();
    QWidget* window = nestora.window();
    nestora.handleOpenURL("nestora:?" + identifier);
    pump(400);  // the slide
    bool ok = shoot(window, folder, "settings-1-prefs.png");
    auto* prefs = dynamic_cast<nestora::screens::PrefsViewController*>(nestora.navController()->topViewController());
    if (prefs == nullptr) {
        return false;
    }
    const auto tapChoice = [prefs](int row) {
        if (auto* cell = dynamic_cast<nestora::screens::SettingsCell*>(prefs->tableView().cellForRow(row))) {
            prefs->buttonTapped(cell->control());
        }
    };
    tapChoice(nestora::screens::PrefsViewController::kRowsPerColumnRow);
    ok &= shoot(window, folder, "settings-2-rows-picker.png");
    dismissAlerts(window);
    tapChoice(nestora::screens::PrefsViewController::kIconFontColorRow);
    ok &= shoot(window, folder, "settings-3-color-picker.png");
    dismissAlerts(window);
    nestora.navController()->popViewController();
    nestora.navController()->pushViewController(
        std::make_unique<nestora::screens::PrefsSBViewController>(nestora.preferences(), identifier));
    ok &= shoot(window, folder, "settings-4-extension.png");
    nestora.navController()->popViewController();
    return ok;
}

void waitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000) {
        pump(20);
    }
}

// A category's contents, its add-items screen ("Done" without a choice)
// and the icon picker ("Cancel").
bool tourEditingScreens(nestora::app::Nestora& nestora, const QDir& folder) {
    nestora::app::RootViewController& list = *nestora.rootViewController();
    nestora::ui::NavigationController& nav = *nestora.navController();
    QWidget* window = nestora.window();
    if (list.categories().empty()) {
        return true;
    }
    // A category with apps in it shows best; an empty one opens the
    // add-items screen by itself.
    int row = 0;
    for (std::size_t i = 0; i < list.categories().size(); ++i) {
        const auto items = nestora.preferences().copyAppValue(nestora::model::kItemsKey, list.categories()[i]);
        if (items && items->isArray() && !items->array()->empty()) {
            row = static_cast<int>(i);
            break;
        }
    }
    bool ok = true;
    list.tableView().selectRow(row);
    list.didSelectRow(list.tableView(), row);
    waitFor([&] { return !nav.isSliding(); });
    auto* contents = dynamic_cast<nestora::screens::CategoryViewController*>(nav.topViewController());
    if (contents == nullptr) {
        return false;
    }
    if (contents->modalViewController() == nullptr) {  // an empty category opens it by itself
        ok &= shoot(window, folder, "5-contents.png");
        ok &= shootRowMidDrag(contents->itemsTableView(), window, folder);
        // The add-items screen on its way up, then in place.
        contents->addButtonTapped();
        pump(120);
        grabNow(window, folder, "6a-add-items-sliding-up.png");
    }
    nestora::ui::Transition::finishAll();
    ok &= shoot(window, folder, "6-add-items.png");
    if (auto* add = dynamic_cast<nestora::screens::AddItemsViewController*>(contents->modalViewController())) {
        add->doneButtonTapped();
    }
    nav.popViewController();
    pump(50);

    list.editButtonTapped();
    list.tableView().selectRow(row);
    nestora::ui::AlertAnswerQueue::forWindow(window).answerNext(2);  // "Icon"
    list.didSelectRow(list.tableView(), row);
    waitFor([&] { return list.modalViewController() != nullptr; });
    ok &= shoot(window, folder, "7-icon-picker.png");
    if (auto* picker = dynamic_cast<nestora::screens::IconPickerController*>(list.modalViewController())) {
        picker->cancelButtonTapped();
    }
    list.editButtonTapped();
    pump(50);
    return ok;
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
    nestora::ui::loadSystemFont();
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
    // A row chosen in edit mode: selected, with the question what to edit.
    if (!list.categories().empty()) {
        list.tableView().selectRow(0);
        list.didSelectRow(list.tableView(), 0);
        ok &= shoot(window, folder, "2b-edit-choice-alert.png");
        dismissAlerts(window);  // "Cancel"
    }
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
    if (auto* page = dynamic_cast<nestora::app::WebViewController*>(list.modalViewController())) {
        page->backButtonTapped();
        pump(50);
    }
    ok &= tourEditingScreens(nestora, folder);
    ok &= shootSettings(nestora, folder);
    return ok ? 0 : 1;
}
