#pragma once

// Memory warnings for the application. Two things raise one: free memory
// falling below kMemoryWarningFreeBytes, as the memory watchdog reads it on
// each tick, and the signal SIGUSR2, so that a user can simulate low memory
// (kill -USR2 <pid>). Both only write a byte into a pipe; the main loop
// watches the pipe's read end and handles the warning there, so the handler
// never runs inside a signal handler or in the middle of a watchdog tick.
//
// The signal handler does nothing but write(2) one byte (async-signal-safe);
// both ends of the pipe are non-blocking, so a burst of signals can neither
// block the handler nor queue more than the pipe holds: warnings that wait
// together are handled as one.

#include <signal.h>

#include <cstdint>

#include "platform/UniqueFd.h"

namespace nestora::platform {

inline constexpr std::uint64_t kMemoryWarningFreeBytes = 12ull * 1024 * 1024;

class MemoryWarnings {
public:
    // Creates the pipe and installs the SIGUSR2 handler. Only one instance
    // listens at a time (the handler has one pipe to write to); a second one
    // made while the first lives does not listen.
    MemoryWarnings();
    // Puts back the SIGUSR2 disposition found at construction.
    ~MemoryWarnings();
    MemoryWarnings(const MemoryWarnings&) = delete;
    MemoryWarnings& operator=(const MemoryWarnings&) = delete;

    bool isListening() const { return listening_; }

    // Readable while warnings wait; -1 when not listening.
    int fileDescriptor() const { return readEnd_.get(); }

    // One watchdog reading. Raises a warning when free memory is below the
    // line and the previous reading was not: memory that stays low warns
    // once, and again only after it has recovered and fallen once more.
    void noteFreeMemory(std::uint64_t freeBytes);

    // Empties the pipe; true when at least one warning was waiting.
    bool takeWarnings();

private:
    void raise();

    UniqueFd readEnd_;
    UniqueFd writeEnd_;
    struct sigaction previous_ {};
    bool listening_ = false;
    bool below_ = false;
};

}  // namespace nestora::platform
