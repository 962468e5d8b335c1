#pragma once

// Starting other programs without a shell, and the identity the process
// runs under.

#include <string>
#include <string_view>
#include <vector>

namespace nestora::platform {

// Runs a program with exactly these arguments (argv[0] is its host path; no
// shell sees them, so no word of them can be read as shell syntax) and
// waits. With `outputToStandardError` the program's standard output goes to
// this process's standard error. Returns the exit status, or -1 when the
// program could not be started or was ended by a signal.
int runProgram(const std::vector<std::string>& argv, bool outputToStandardError = false);

// When this process runs as root and the folder at the device path belongs
// to another user, becomes that user (its group, no supplementary groups)
// for good, so that what it writes there stays that user's. True when the
// process now runs as the folder's owner or was not root; false when the
// folder cannot be examined or the switch failed.
bool becomeOwnerOfFolder(std::string_view devicePath);

}  // namespace nestora::platform
