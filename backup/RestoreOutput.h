#pragma once

// Standard error during a restore: a progress line rewritten in place when
// there are more than a few categories, and messages on lines of their own.

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace nestora::backup {

// More categories than this get a progress line on standard error.
inline constexpr std::size_t kProgressThreshold = 5;

class RestoreOutput {
public:
    RestoreOutput(std::FILE* out, std::size_t total) : out_(out), total_(total), shown_(total > kProgressThreshold) {}
    ~RestoreOutput() { endProgressLine(); }
    RestoreOutput(const RestoreOutput&) = delete;
    RestoreOutput& operator=(const RestoreOutput&) = delete;

    // "Restoring category <done> of <total>", in place.
    void progress(std::size_t done);
    // "nestora-backup: <directory name>: <text>" on a line of its own.
    void message(std::string_view directoryName, std::string_view text);

private:
    void endProgressLine();

    std::FILE* out_;
    std::size_t total_;
    bool shown_;
    bool lineOpen_ = false;
};

}  // namespace nestora::backup
