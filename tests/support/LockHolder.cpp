#include "tests/support/LockHolder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nestora::test {

LockHolder::LockHolder(const std::string& hostPath) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) return;
    child_ = ::fork();
    if (child_ == 0) {
        // Only async-signal-safe calls here: the test program may have threads.
        const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
        const char held = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
        (void)!::write(ready[1], &held, 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char held = '0';
    if (child_ > 0 && ::read(ready[0], &held, 1) == 1) holding_ = held == '1';
    ::close(ready[0]);
}

LockHolder::~LockHolder() {
    if (child_ <= 0) return;
    ::kill(child_, SIGKILL);
    int status = 0;
    ::waitpid(child_, &status, 0);
}

}  // namespace nestora::test
