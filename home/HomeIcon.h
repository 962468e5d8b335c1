#pragma once

// One icon of the stand-in home screen, or of a category opened on it: an
// installed app by its display identifier, with what is needed to show and
// open it. Plain data; images are loaded by the widgets, page by page.

#include <string>

namespace nestora::home {

struct HomeIcon {
    enum class Kind {
        App,       // shown "launched" when tapped
        Category,  // a category bundle: tapping opens it in the launcher
        Nestora,   // the Nestora app itself: tapping starts the program
    };

    std::string displayIdentifier;
    std::string name;        // localized name; the bundle folder's name when it has none
    std::string bundlePath;  // device path of the bundle folder, no trailing slash
    Kind kind = Kind::App;

    bool operator==(const HomeIcon&) const = default;
};

}  // namespace nestora::home
