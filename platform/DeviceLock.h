#pragma once

// One lock for the device's categories. Every run that changes categories
// holds it: the tool for its changing operations, a restore for its whole
// run, so no run finds another's half-made work. Readers never take it.
//
// It is an advisory lock (flock) on /var/lib/nestora/categories.lock. The
// folder and every folder above it belong to root and only root may change
// them (a root run checks), so no user can remove or replace the file that
// the others lock. The
// file itself belongs to the one user the tool serves, mode 0600: root and
// that user can open it, and nobody else can hold it to stall the tool.
//
// A restore hands its lock down to the tool runs it starts: the descriptor
// is inherited, and the tool finds it among its descriptors by the lock
// file's device and inode and checks with a non-blocking flock that it is
// held (that succeeds on the holder's open file, and fails while another
// run holds the lock).

#include <chrono>
#include <optional>
#include <string_view>

#include "platform/UniqueFd.h"

namespace nestora::platform {

inline constexpr std::string_view kDeviceLockFolder = "/var/lib/nestora";
inline constexpr std::string_view kDeviceLockPath = "/var/lib/nestora/categories.lock";
// How long a run waits for another to finish before it gives up.
inline constexpr std::chrono::milliseconds kDeviceLockWait{30000};

enum class DeviceLockError {
    None,
    Busy,         // another run held it for the whole wait
    Unavailable,  // the lock file could not be opened (or laid)
};

class DeviceLock {
public:
    struct Result;

    // For the set-user-id tool, running as root. Lays the folder and the
    // lock file when they are missing, gives the file (0600) to the owner of
    // the folder `usersFolder` names (the user the tool serves; root when
    // it cannot be opened), takes over a lock that the parent holds and
    // handed down, or else waits for the lock up to `wait`. The lock goes
    // with the process.
    static Result takeForTool(std::string_view usersFolder, std::chrono::milliseconds wait);

    // Lays the folder and the lock file as takeForTool does, without taking
    // the lock: any run of the tool does it, so that a restore running as
    // the user finds a file to lock. False when it is not there afterwards.
    static bool layLockFile(std::string_view usersFolder);

    // For a restore, with this process's rights: opens the lock file (it
    // must exist) and waits for the lock up to `wait`. The descriptor is
    // left open across exec, so the tool runs this process starts share
    // the lock. It is released when this goes.
    static Result takeForChildren(std::chrono::milliseconds wait);

    DeviceLock(DeviceLock&&) noexcept = default;
    DeviceLock& operator=(DeviceLock&&) noexcept = default;
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;
    ~DeviceLock() = default;

    // Whether the lock came down from the parent (it is released with the
    // parent's, never by this process).
    bool handedDown() const { return handedDown_; }

private:
    DeviceLock(UniqueFd fd, bool handedDown) : fd_(std::move(fd)), handedDown_(handedDown) {}

    UniqueFd fd_;
    bool handedDown_ = false;
};

struct DeviceLock::Result {
    std::optional<DeviceLock> lock;
    DeviceLockError error = DeviceLockError::None;
};

}  // namespace nestora::platform
