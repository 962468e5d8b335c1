#include "platform/Shell.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

namespace nestora::platform {

int runShell(const std::string& commandLine) {
    // Output the caller printed must not be duplicated into the child.
    std::fflush(nullptr);
    const int status = std::system(commandLine.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace nestora::platform
