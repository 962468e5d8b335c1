#pragma once

// Killing a program at every step, for tests of what a killed run leaves
// behind. The program runs under strace, which delivers SIGKILL on entry to
// the Nth call of one system call (`-e inject=SYSCALL:signal=KILL:when=N`;
// the call itself never happens). strace counts per system call and per
// process, so a census is every (system call, N) up to the most calls any
// one traced process made of it; with `followForks` the program's children
// are traced too, and each of them dies at its own Nth call.
//
//   CrashCensus census(kFileChangingCalls, false);
//   for (const CrashPoint& point : census.points(argv)) {
//       prepare();                          // a fresh device
//       census.runKilledAt(point, argv);    // killed there (or finished)
//       check();                            // invariants, then maybe a re-run
//   }
//   std::cout << census.summary();

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"

namespace nestora::test {

// The system calls that change files: a kill at the entry of each one sees
// every state a kill anywhere else could leave (an open that creates a file
// is always followed by one of these).
extern const std::vector<std::string> kFileChangingCalls;
// The calls that start another program (posix_spawn, fork, system).
extern const std::vector<std::string> kProgramStartCalls;

struct CrashPoint {
    std::string call;
    int occurrence = 0;  // 1-based
};

std::string describe(const CrashPoint& point);  // "rename #2"

// True when strace can trace and inject here (it is installed and ptrace is
// allowed).
bool crashCensusAvailable();

// While alive, temporary folders (TMPDIR) are made in /dev/shm when it is
// there: a census runs hundreds of programs that flush each write to disk,
// and a process killed is killed the same on any file system.
class TemporaryFilesInMemory {
public:
    TemporaryFilesInMemory();
    ~TemporaryFilesInMemory();
    TemporaryFilesInMemory(const TemporaryFilesInMemory&) = delete;
    TemporaryFilesInMemory& operator=(const TemporaryFilesInMemory&) = delete;

private:
    std::optional<std::string> previous_;
    bool changed_ = false;
};

class CrashCensus {
public:
    CrashCensus(std::vector<std::string> calls, bool followForks);

    // How often each call of the set is made by one run of the program (the
    // most by any one traced process).
    std::map<std::string, int> countCalls(const std::vector<std::string>& argv,
                                          const std::vector<std::string>& extraEnvironment = {}) const;

    // The same counted from a log strace wrote (-o) for this set, with -f
    // (`withPids`) or without.
    static std::map<std::string, int> countLoggedCalls(const std::string& logPath, bool withPids);

    // The set as strace's -e trace= takes it.
    std::string traceSet() const;

    // Every kill point for the program, in a fixed order.
    std::vector<CrashPoint> points(const std::vector<std::string>& argv,
                                   const std::vector<std::string>& extraEnvironment = {}) const;

    // Runs the program to be killed at the point; exitStatus is -1 when it
    // was killed. The outcome is tallied for summary().
    RunResult runKilledAt(const CrashPoint& point, const std::vector<std::string>& argv,
                          const std::vector<std::string>& extraEnvironment = {});

    int killed() const { return killed_; }
    int finished() const { return finished_; }
    // "N kill points: K killed, F finished first"
    std::string summary() const;

private:
    std::vector<std::string> strace(const std::vector<std::string>& options, const std::vector<std::string>& argv) const;

    std::vector<std::string> calls_;
    bool followForks_;
    int killed_ = 0;
    int finished_ = 0;
};

}  // namespace nestora::test
