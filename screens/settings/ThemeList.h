#pragma once

// The icon themes a category can use: the folders of the two theme
// directories that hold an "Icons" entry. Plain logic over the file system;
// the settings screen lists them once per opening.

#include <string>
#include <string_view>
#include <vector>

namespace nestora::screens {

// "No Theme", then each entry of each theme folder (model::kThemeFolders), in the order the platform
// lists them (by name), for which "<folder>/<entry>/Icons" exists as a file or
// folder (links followed). Neither sorted nor freed of duplicates: a theme in
// both folders is offered twice. A folder that cannot be listed adds nothing.
//
// Names that are not UTF-8 are left out: a preferences file can only hold
// text, so such a name could be shown but never stored as it is, and the
// launcher would go looking for a folder of another name.
std::vector<std::string> discoverThemes();

// The name with its path extension removed ("Classic.theme" gives
// "Classic"); a leading dot alone is not an extension.
std::string_view themeNameWithoutExtension(std::string_view name);

}  // namespace nestora::screens
