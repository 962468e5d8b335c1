#pragma once

#include <string>

namespace nestora::platform {

// system: runs one command line through /bin/sh and waits for it. Returns the
// command's exit status, or -1 when it could not be run or was killed.
int runShell(const std::string& commandLine);

}  // namespace nestora::platform
