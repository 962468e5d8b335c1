#include "tests/screens/settings/SettingsTestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QTest>

#include <map>

#include "tests/support/PythonPlist.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/QtOwnership.h"

namespace nestora::test {

ScreenWindow::ScreenWindow(std::unique_ptr<ui::ViewController> screen) {
    window_.resize(320, 480);
    nav_ = ui::makeChild<ui::NavigationController>(&window_, std::make_unique<ui::ViewController>());
    nav_->setGeometry(0, 12, 320, 413);
    window_.show();
    nav_->showTop();
    nav_->pushViewController(std::move(screen));
    settle();
}

screens::PickerAlert* ScreenWindow::picker() {
    return dynamic_cast<screens::PickerAlert*>(visibleAlert(&window_));
}

std::string storedPrefs(const TestDevice& device, const std::string& identifier) {
    return plistlibJson(device.host("/var/mobile/Library/Preferences/" + identifier + ".plist")).value_or("");
}

void tapRow(ui::TableView& table, int row) {
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.centreOfRow(row));
}

WriteWatch::WriteWatch(const TestDevice& device, const std::string& deviceFolder)
    : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    EXPECT_GE(fd_, 0);
    EXPECT_GE(::inotify_add_watch(fd_, device.host(deviceFolder).c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM),
              0);
}

WriteWatch::~WriteWatch() {
    if (fd_ >= 0) ::close(fd_);
}

std::multiset<std::string> WriteWatch::take() {
    // Per name: written in place, or renamed into place; a temporary file
    // renamed away counts only as the name it was renamed to.
    std::map<std::string, int> writes;
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0) break;
        for (char* p = buffer; p < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            const std::string name = event->len > 0 ? event->name : "";
            if (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) ++writes[name];
            if (event->mask & IN_MOVED_FROM) writes.erase(name);
            p += sizeof(inotify_event) + event->len;
        }
    }
    std::multiset<std::string> names;
    for (const auto& [name, count] : writes) {
        for (int i = 0; i < count; ++i) names.insert(name);
    }
    return names;
}

}  // namespace nestora::test
