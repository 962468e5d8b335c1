#include "tests/support/CrashCensus.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace nestora::test {

namespace {

constexpr const char* kStrace = "/usr/bin/strace";

// The system call a line of strace's log is about ("123 rename(..." with -f,
// "rename(..." without), or "" for lines about signals and exits.
std::pair<std::string, std::string> processAndCall(const std::string& line, bool withPid) {
    std::string rest = line;
    std::string pid;
    if (withPid) {
        const auto space = rest.find(' ');
        if (space == std::string::npos) return {};
        pid = rest.substr(0, space);
        rest = rest.substr(space + 1);
        while (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
    }
    if (rest.starts_with("<... ")) return {};  // the end of a call already counted at its start
    const auto paren = rest.find('(');
    if (paren == std::string::npos || paren == 0) return {};
    return {pid, rest.substr(0, paren)};
}

}  // namespace

const std::vector<std::string> kFileChangingCalls = {
    "write",  "pwrite64", "writev",    "rename",   "renameat", "renameat2", "unlink", "unlinkat",
    "mkdir",  "mkdirat",  "rmdir",     "chmod",    "fchmod",   "fchmodat",  "chown",  "fchown",
    "lchown", "fchownat", "link",      "linkat",   "symlink",  "symlinkat", "fsync",  "fdatasync",
    "truncate", "ftruncate"};

const std::vector<std::string> kProgramStartCalls = {"clone", "clone3", "fork", "vfork"};

std::string describe(const CrashPoint& point) { return point.call + " #" + std::to_string(point.occurrence); }

bool crashCensusAvailable() {
    if (::access(kStrace, X_OK) != 0) return false;
    return runProgram({kStrace, "-qq", "-o", "/dev/null", "-e", "trace=none", "/bin/true"}).exitStatus == 0;
}

TemporaryFilesInMemory::TemporaryFilesInMemory() {
    if (::access("/dev/shm", W_OK | X_OK) != 0) return;
    if (const char* current = std::getenv("TMPDIR")) previous_ = current;
    ::setenv("TMPDIR", "/dev/shm", 1);
    changed_ = true;
}

TemporaryFilesInMemory::~TemporaryFilesInMemory() {
    if (!changed_) return;
    if (previous_) {
        ::setenv("TMPDIR", previous_->c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}

CrashCensus::CrashCensus(std::vector<std::string> calls, bool followForks)
    : calls_(std::move(calls)), followForks_(followForks) {}

std::string CrashCensus::traceSet() const {
    // Each name marked "?" so that calls this architecture lacks (rename,
    // fork on arm64) are passed over rather than an error.
    std::string text;
    for (const std::string& name : calls_) {
        if (!text.empty()) text += ',';
        text += '?' + name;
    }
    return text;
}

std::map<std::string, int> CrashCensus::countLoggedCalls(const std::string& logPath, bool withPids) {
    std::map<std::pair<std::string, std::string>, int> perProcess;
    std::ifstream log(logPath);
    for (std::string line; std::getline(log, line);) {
        auto [pid, call] = processAndCall(line, withPids);
        if (!call.empty()) ++perProcess[{pid, call}];
    }
    std::map<std::string, int> counts;
    for (const auto& [key, count] : perProcess) {
        int& most = counts[key.second];
        if (count > most) most = count;
    }
    return counts;
}

std::vector<std::string> CrashCensus::strace(const std::vector<std::string>& options,
                                             const std::vector<std::string>& argv) const {
    std::vector<std::string> command{kStrace, "-qq"};
    if (followForks_) command.emplace_back("-f");
    command.insert(command.end(), options.begin(), options.end());
    command.emplace_back("--");
    command.insert(command.end(), argv.begin(), argv.end());
    return command;
}

std::map<std::string, int> CrashCensus::countCalls(const std::vector<std::string>& argv,
                                                   const std::vector<std::string>& extraEnvironment) const {
    char logName[] = "/tmp/nestora-census-XXXXXX";
    const int fd = ::mkstemp(logName);
    if (fd >= 0) ::close(fd);
    runProgram(strace({"-o", logName, "-e", "trace=" + traceSet()}, argv), extraEnvironment);
    std::map<std::string, int> counts = countLoggedCalls(logName, followForks_);
    std::remove(logName);
    return counts;
}

std::vector<CrashPoint> CrashCensus::points(const std::vector<std::string>& argv,
                                            const std::vector<std::string>& extraEnvironment) const {
    std::vector<CrashPoint> all;
    for (const auto& [call, count] : countCalls(argv, extraEnvironment)) {
        for (int n = 1; n <= count; ++n) all.push_back(CrashPoint{call, n});
    }
    return all;
}

RunResult CrashCensus::runKilledAt(const CrashPoint& point, const std::vector<std::string>& argv,
                                   const std::vector<std::string>& extraEnvironment) {
    const std::string inject = "inject=" + point.call + ":signal=KILL:when=" + std::to_string(point.occurrence);
    RunResult result =
        runProgram(strace({"-o", "/dev/null", "-e", "trace=" + point.call, "-e", inject}, argv), extraEnvironment);
    ++(result.exitStatus == -1 ? killed_ : finished_);
    return result;
}

std::string CrashCensus::summary() const {
    std::ostringstream text;
    text << (killed_ + finished_) << " kill points: " << killed_ << " killed, " << finished_ << " finished first";
    return text.str();
}

}  // namespace nestora::test
