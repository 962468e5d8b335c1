#pragma once

// Where app bundles may lie, and the checks that keep a name read from an
// app's Info.plist (a role, an executable) from leading anywhere else.
// Folders are looked at with the rights of the user who ran the program, and
// a link is followed only where root placed it, in a folder only root can
// change (the photo roles' folders in /Applications are such links); the
// containers under /var/mobile/Applications are the user's, so nothing in
// them is reached through a link.

#include <optional>
#include <string>
#include <string_view>

namespace nestora::platform {

inline constexpr std::string_view kSystemApplicationsFolder = "/Applications";
inline constexpr std::string_view kUserApplicationsFolder = "/var/mobile/Applications";

// One plain path component: not empty, not "." or "..", no "/" and no NUL.
bool isPlainPathComponent(std::string_view name);

// "<folder>/<role>.app/<executable>" when the role's folder is a folder
// beside the bundle in `folder` and holds the executable as a regular file;
// none otherwise. `folder` is one of the two application
// folders or a container in the user's; role and executable must be plain
// components.
std::optional<std::string> roleExecutablePath(std::string_view folder, std::string_view role,
                                              std::string_view executable);

// Whether a path names the Info.plist of a bundle folder ("<name>.app") that
// lies directly in /Applications or directly in a container under
// /var/mobile/Applications, with no link of a user's on the way and none at
// the Info.plist itself (which may be missing). Only such a path may go to the
// hide library, which edits the file it is handed, as root in the tool.
bool isAppBundleInfoPlistPath(std::string_view path);

}  // namespace nestora::platform
