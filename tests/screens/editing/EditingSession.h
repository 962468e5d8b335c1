#pragma once

// One session of the app on a sample device, for the editing screens: the
// real application object, the real built tool and the stand-in hide
// library installed as "/usr/lib/hide.dylib". Screens are opened the way the
// app opens them and tapped the way a user taps them; what they leave on
// disk is read back with Python's plistlib.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Nestora.h"
#include "screens/editing/AddItemsViewController.h"
#include "screens/editing/CategoryViewController.h"
#include "screens/editing/IconPickerController.h"
#include "tests/ui/AppDevice.h"
#include "tests/ui/UiTestSupport.h"

namespace nestora::test {

class EditingSession {
public:
    explicit EditingSession(AppDeviceOptions options = sampleDevice());
    ~EditingSession();

    static AppDeviceOptions sampleDevice();

    AppDevice& device() { return *device_; }
    app::Nestora& app() { return *app_; }
    QWidget* window() const { return app_->window(); }

    // Launches the app (the about alert of an empty list is dismissed).
    void launch();
    // Ends this run without the exit steps (as a kill would) and starts a
    // new one on the same device.
    void relaunch();

    // Pushes the contents screen of "com.quarvek.nestora.<directory>" and
    // waits until it has appeared.
    screens::CategoryViewController& openCategory(const std::string& directory);
    // The screen on top of the stack, as the contents screen (or null).
    screens::CategoryViewController* contentsScreen() const;
    // The add-items screen presented over the contents screen (or null).
    screens::AddItemsViewController* addItemsScreen() const;

    // Taps the row of an app on the add-items screen (scrolled into view).
    void chooseApp(screens::AddItemsViewController& screen, const std::string& displayIdentifier);
    // Taps "Done" in the add-items screen's own bar.
    void tapDone(screens::AddItemsViewController& screen);

    // The rows' display identifiers of a contents screen, top first.
    static std::vector<std::string> shownRows(screens::CategoryViewController& screen);

    // The category's stored "items" as plistlib reads them (none when missing).
    std::optional<std::vector<std::string>> storedItems(const std::string& directory) const;
    // The Info.plist paths the stand-in hide library holds hidden.
    std::vector<std::string> hiddenInfoPlists() const;
    // The Info.plist path of a sample app, as the hide library is given it.
    std::string infoPlistOf(const std::string& displayIdentifier) const;
    // The built tool's output for "-s <directory>".
    std::string toolShow(const std::string& directory) const;

private:
    std::unique_ptr<AppDevice> device_;
    std::unique_ptr<app::Nestora> app_;
};

}  // namespace nestora::test
