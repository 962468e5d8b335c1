#pragma once

#include <memory>
#include <optional>
#include <string_view>

namespace nestora::platform {

// A shared library opened with lazy binding and closed when this goes.
class DynamicLibrary {
public:
    // Opens the library at a device path. When `requireRootOwned` is set the
    // file is opened first and checked (fstat): a regular file owned by root,
    // not writable by group or others, in a folder that is the same; the
    // checked file itself is what gets loaded.
    static std::optional<DynamicLibrary> open(std::string_view devicePath, bool requireRootOwned);

    DynamicLibrary(DynamicLibrary&&) noexcept = default;
    DynamicLibrary& operator=(DynamicLibrary&&) noexcept = default;
    ~DynamicLibrary() = default;

    // The address of a symbol, or null.
    void* symbol(const char* name) const;

private:
    struct Closer { void operator()(void* handle) const; };
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    std::unique_ptr<void, Closer> handle_;
};

// True when the process runs with privileges it was not started with
// (set-user-id or set-group-id).
bool isPrivilegedRun();

}  // namespace nestora::platform
