#include "tests/support/DiskFullCensus.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include "tests/support/SyscallLog.h"

namespace nestora::test {

namespace {

constexpr const char* kStrace = "/usr/bin/strace";
// A program built with AddressSanitizer cannot look for leaks while it is
// traced, and says so by failing at exit: the runs here are traced, so
// they look for none (every other test of the same program does).
constexpr const char* kNoLeakCheckUnderTrace = "ASAN_OPTIONS=detect_leaks=0";

std::string traceSet() {
    std::string text;
    for (const std::string& call : kDiskFullCalls) text += (text.empty() ? "?" : ",?") + call;
    return text;
}

// The host path a call is about.
std::string targetOf(const SyscallEntry& entry) {
    const auto& args = entry.arguments;
    const auto at = [&](std::size_t folder, std::size_t name) -> std::string {
        if (name >= args.size()) return "";
        const std::string file = quotedBytes(args[name]).value_or("");
        if (file.starts_with('/')) return file;
        return descriptorPath(args[folder]).value_or("") + "/" + file;
    };
    if (args.empty()) return "";
    if (entry.name == "rename" || entry.name == "mkdir") return quotedBytes(args[0]).value_or("");
    if (entry.name == "renameat" || entry.name == "renameat2" || entry.name == "mkdirat") return at(0, 1);
    return descriptorPath(args[0]).value_or("");
}

}  // namespace

const std::vector<std::string> kDiskFullCalls = {"write",  "pwrite64", "writev",   "fsync",    "fdatasync",
                                                 "rename", "renameat", "renameat2", "mkdir",   "mkdirat"};

std::string describe(const FaultPoint& point) {
    return point.error + " at " + point.call + " #" + std::to_string(point.occurrence) + " (" + point.target + ")";
}

std::vector<FaultPoint> diskFullPoints(const std::string& root, const std::vector<std::string>& argv,
                                       const std::vector<std::string>& passedOver) {
    char logName[] = "/tmp/nestora-diskfull-XXXXXX";
    const int fd = ::mkstemp(logName);
    if (fd >= 0) ::close(fd);
    std::vector<std::string> command{kStrace, "-qq", "-y", "-xx", "-s", "4096", "-o", logName, "-e", "trace=" + traceSet(), "--"};
    command.insert(command.end(), argv.begin(), argv.end());
    runProgram(command, {"NESTORA_DEVICE_ROOT=" + root, kNoLeakCheckUnderTrace});
    const std::string canonicalRoot = std::filesystem::canonical(root).string();
    std::map<std::string, int> seen;
    std::vector<FaultPoint> points;
    for (const SyscallEntry& entry : readSyscallLog(logName, false)) {
        const int occurrence = ++seen[entry.name];
        const std::string target = targetOf(entry);
        // Standard output and the like; and calls that fail anyway (a folder
        // that exists already).
        if (!target.starts_with(canonicalRoot + "/") || !succeeded(entry)) continue;
        if (std::any_of(passedOver.begin(), passedOver.end(),
                        [&](const std::string& part) { return target.find(part) != std::string::npos; })) {
            continue;
        }
        for (const char* error : {"ENOSPC", "EIO"}) {
            points.push_back(FaultPoint{entry.name, occurrence, error, target.substr(canonicalRoot.size())});
        }
    }
    std::remove(logName);
    return points;
}

RunResult runFailingAt(const FaultPoint& point, const std::vector<std::string>& argv) {
    std::vector<std::string> command{kStrace, "-qq", "-o", "/dev/null", "-e", "trace=" + point.call, "-e",
                                     "inject=" + point.call + ":error=" + point.error +
                                         ":when=" + std::to_string(point.occurrence),
                                     "--"};
    command.insert(command.end(), argv.begin(), argv.end());
    return runProgram(command, {kNoLeakCheckUnderTrace});
}

}  // namespace nestora::test
