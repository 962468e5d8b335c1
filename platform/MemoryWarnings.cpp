#include "platform/MemoryWarnings.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace nestora::platform {

namespace {

// The write end the signal handler uses; -1 while nobody listens. A
// lock-free atomic is safe to read in a signal handler.
std::atomic<int> gSignalWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void writeWakeByte(int fd) {
    const char byte = 'w';
    // A full pipe already holds a waiting warning; nothing is lost.
    (void)::write(fd, &byte, 1);
}

extern "C" void onMemoryWarningSignal(int) {
    const int savedErrno = errno;
    const int fd = gSignalWriteEnd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        writeWakeByte(fd);
    }
    errno = savedErrno;
}

}  // namespace

MemoryWarnings::MemoryWarnings() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readEnd_.reset(ends[0]);
    writeEnd_.reset(ends[1]);
    int expected = -1;
    if (!gSignalWriteEnd.compare_exchange_strong(expected, writeEnd_.get())) {
        readEnd_.reset();
        writeEnd_.reset();
        return;  // another instance listens
    }
    struct sigaction action {};
    action.sa_handler = &onMemoryWarningSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGUSR2, &action, &previous_) != 0) {
        gSignalWriteEnd.store(-1);
        readEnd_.reset();
        writeEnd_.reset();
        return;
    }
    listening_ = true;
}

MemoryWarnings::~MemoryWarnings() {
    if (!listening_) {
        return;
    }
    ::sigaction(SIGUSR2, &previous_, nullptr);
    gSignalWriteEnd.store(-1);
}

void MemoryWarnings::raise() {
    if (writeEnd_) {
        writeWakeByte(writeEnd_.get());
    }
}

void MemoryWarnings::noteFreeMemory(std::uint64_t freeBytes) {
    const bool below = freeBytes < kMemoryWarningFreeBytes;
    if (below && !below_) {
        raise();
    }
    below_ = below;
}

bool MemoryWarnings::takeWarnings() {
    if (!readEnd_) {
        return false;
    }
    bool any = false;
    char buffer[64];
    for (;;) {
        const ssize_t got = ::read(readEnd_.get(), buffer, sizeof buffer);
        if (got > 0) {
            any = true;
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return any;  // empty (EAGAIN) or closed
    }
}

}  // namespace nestora::platform
