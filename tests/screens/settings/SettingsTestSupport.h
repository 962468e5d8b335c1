#pragma once

// What the settings screens' tests share: a window with a screen stack to
// show a screen in, the stored preferences as plistlib reads them, and a
// watch on the files written in the preferences folder.

#include <QWidget>

#include <memory>
#include <set>
#include <string>

#include "screens/settings/PickerAlert.h"
#include "tests/ui/AppDevice.h"
#include "ui/NavigationController.h"

namespace nestora::test {

inline constexpr char kGames[] = "com.quarvek.nestora.Category000";

// A 320 x 480 window whose screen stack shows `screen` over an empty root.
class ScreenWindow {
public:
    explicit ScreenWindow(std::unique_ptr<ui::ViewController> screen);
    QWidget& window() { return window_; }
    ui::ViewController* top() const { return nav_->topViewController(); }
    // The picker shown over the window, or null.
    screens::PickerAlert* picker();

private:
    QWidget window_;
    ui::NavigationController* nav_ = nullptr;
};

// The preferences file of a category as plistlib reads it: JSON with sorted
// keys, booleans and integers told apart ("" when plistlib cannot read it).
std::string storedPrefs(const TestDevice& device, const std::string& identifier = kGames);

// Taps a row of a table (the picker's list).
void tapRow(ui::TableView& table, int row);

// The files that get written in one folder while the watch lives: a file
// replaced through a temporary one counts once, under its own name.
class WriteWatch {
public:
    WriteWatch(const TestDevice& device, const std::string& deviceFolder);
    ~WriteWatch();
    WriteWatch(const WriteWatch&) = delete;
    WriteWatch& operator=(const WriteWatch&) = delete;

    // Names written since the last call, each with how often.
    std::multiset<std::string> take();

private:
    int fd_ = -1;
};

}  // namespace nestora::test
