#pragma once

// Reading what strace wrote about a run: one entry per finished system call
// (a call that another process's lines interrupted, "<unfinished ...>", is
// joined with its "<... resumed>" end). strace must be run with -xx (every
// byte of strings and paths as \x escapes), -y (each descriptor followed by
// its path in <...>) and, for several processes, -f.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nestora::test {

struct SyscallEntry {
    int pid = 0;
    std::string name;
    std::vector<std::string> arguments;  // as strace wrote them
    std::string result;                  // "0", "5<\x2f...>", "-1 ENOSPC (...)"
};

// The finished calls of a log, in the order they ended.
std::vector<SyscallEntry> readSyscallLog(const std::string& logPath, bool withPids);

// A quoted string argument ("\x41\x42"), decoded; none for anything else.
std::optional<std::string> quotedBytes(std::string_view argument);

// The path strace put after a descriptor ("3<\x2f\x61>" gives "/a"), decoded;
// none when there is none. A path ending " (deleted)" keeps that ending.
std::optional<std::string> descriptorPath(std::string_view argument);

// The number an argument or result starts with (decimal, octal 0..., hex
// 0x...), or none.
std::optional<long long> leadingNumber(std::string_view text);

// The call succeeded: its result is not -1.
bool succeeded(const SyscallEntry& entry);

}  // namespace nestora::test
