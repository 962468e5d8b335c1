#pragma once

// What a program run by root does before it reads or writes anything in a
// user's folders: it becomes that user, for good. The user is the owner of
// one folder the program works in (the preferences folder), read off the
// folder opened without following a link the user could have planted, so
// the folder cannot be swapped between the look and the switch. Root keeps
// its rights only where no one else could have changed anything: the folder
// and every folder on the way to it are root's and writable by no one else.

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace nestora::platform {

enum class RootRunOutcome {
    NotRoot,      // the process does not run as root: nothing changed
    KeptRoot,     // the folder and the folders on the way are root's alone
    BecameOwner,  // the process now runs as the folder's owner: user, group and groups
    Refused,      // see `problem`; the process must not go on
};

struct RootRun {
    RootRunOutcome outcome = RootRunOutcome::NotRoot;
    uid_t uid = 0;        // the user the process runs as afterwards (BecameOwner)
    std::string problem;  // Refused: why, as one line without a newline
};

// Run by root, becomes the owner of the folder at the device path: its
// user id, that user's group and supplementary groups from the user
// database. Refused when the folder is missing, not a folder, reached
// through a link in a folder someone other than root can change, owned by
// root in a place someone else can change, or owned by an id that is no
// user; and when the switch itself fails.
RootRun leaveRootForFolderOwner(std::string_view devicePath);

// The refusal as a program prints it: "<program>: refusing to run as root: <problem>\n".
std::string rootRunRefusal(std::string_view program, const RootRun& run);

// What each of our programs does first: leaves root for the owner of the
// preferences folder, the user whose categories these are. On a refusal it
// prints the line to `err` and returns false, and the program ends with
// status 1.
bool leaveRootForPreferencesOwner(std::string_view program, std::FILE* err);

}  // namespace nestora::platform
