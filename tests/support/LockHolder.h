#pragma once

// Another process holding the device lock, for tests of runs that must wait
// for it or give up: a child that opens the lock file, takes the lock, says
// so, and keeps it until this goes.

#include <sys/types.h>

#include <string>

namespace nestora::test {

class LockHolder {
public:
    // `hostPath`: the lock file (made when missing).
    explicit LockHolder(const std::string& hostPath);
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    // Whether the child took the lock (it does not wait for it).
    bool holding() const { return holding_; }

private:
    pid_t child_ = -1;
    bool holding_ = false;
};

}  // namespace nestora::test
