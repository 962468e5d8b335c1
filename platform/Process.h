#pragma once

// Starting other programs without a shell.

#include <string>
#include <vector>

namespace nestora::platform {

// Runs a program with exactly these arguments (argv[0] is its host path; no
// shell sees them, so no word of them can be read as shell syntax) and
// waits. With `outputToStandardError` the program's standard output goes to
// this process's standard error. Returns the exit status, or -1 when the
// program could not be started or was ended by a signal.
int runProgram(const std::vector<std::string>& argv, bool outputToStandardError = false);

}  // namespace nestora::platform
