#pragma once

// A device root for the home screen's tests: the app bundle installed with
// the launcher files and the real tool, the stand-in hide library at
// "/usr/lib/hide.dylib", and apps and categories laid out as the device and
// the tool would leave them.

#include <string>
#include <vector>

#include "home/HomeScreen.h"
#include "tests/ui/AppDevice.h"

namespace nestora::test {

class HomeDevice : public AppDevice {
public:
    HomeDevice();

    // An app bundle with an executable and an "icon.png".
    void addApp(const std::string& bundlePath, const std::string& identifier, const std::string& name) const;
    // A category as the tool makes it, with its items stored in its domain.
    void addCategory(const std::string& directory, const std::string& displayName,
                     const std::vector<std::string>& items) const;
    // Runs the built tool with these arguments; its standard output.
    std::string runTool(const std::vector<std::string>& arguments) const;
};

// The names of the home screen's icons, in order.
std::vector<std::string> iconNames(const home::HomeScreen& home);

// A PNG of one colour.
std::string pngOfColour(Qt::GlobalColor colour, int size = 57);

}  // namespace nestora::test
