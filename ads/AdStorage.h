#pragma once

// The folder the ad libraries keep their data in, "/var/mobile/Documents".
// The app may run with root rights, so what it leaves there can belong to
// root; at the end it hands the whole folder to the user "mobile".

#include <sys/types.h>

#include <optional>
#include <string_view>

#include "platform/PrivilegedFiles.h"

namespace nestora::ads {

inline constexpr std::string_view kDocumentsFolder = "/var/mobile/Documents";
inline constexpr std::string_view kAdMobCacheFolder = "/var/mobile/Documents/admob";
inline constexpr std::string_view kMobclixDatabase = "/var/mobile/Documents/mobclix.db";

// Owner-writable only: once the folder is the user's, nobody else needs to
// write there, and a world-writable folder would let anyone plant files.
inline constexpr mode_t kStorageFolderMode = 0755;
inline constexpr mode_t kDatabaseMode = 0644;

// Makes the folders when they are missing and sets the modes of the folder
// and of the Mobclix database (when it is there). Nothing is checked.
void prepareAdStorage();

// The fix-up at the end: the modes again, then, as the superuser where the
// process may become it, the whole folder given to `owner` (nothing when
// none: the user is unknown). Nothing but the hand-over runs as root.
void endApplicationFixup(std::optional<privileged::FileOwner> owner);

}  // namespace nestora::ads
