#include "platform/Superuser.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace nestora::platform {

void runAsSuperuser(const std::function<void()>& work) {
    const uid_t realUser = getuid();
    const bool switched = setuid(0) == 0;
    work();
    if (switched && realUser != 0 && setuid(realUser) != 0) {
        // Going on as root would write the user's files as root's: stop.
        std::fputs("cannot switch back from the superuser\n", stderr);
        std::_Exit(EXIT_FAILURE);
    }
}

}  // namespace nestora::platform
