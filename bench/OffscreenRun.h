#pragma once

// Runs a program of the build as a fresh process on Qt's offscreen platform
// and on a given device root, for benchmarks that measure a whole launch:
// its standard output, its peak resident memory, and when it was started.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace nestora::bench {

struct OffscreenRun {
    bool ok = false;  // it ran and exited with status 0
    std::string out;
    double peakResidentMB = 0;
    // The steady clock just before the process was started: with what the
    // program reports of the same clock, the whole wait from process start.
    std::chrono::steady_clock::time_point started{};
};

// Milliseconds from the process start to the steady-clock reading the
// program printed as "first-frame-at-ns N"; none when it printed none.
inline std::optional<double> msFromStartTo(const OffscreenRun& run, std::string_view key = "first-frame-at-ns ") {
    const auto at = run.out.find(key);
    if (at == std::string::npos) return std::nullopt;
    const long long ns = std::atoll(run.out.c_str() + at + key.size());
    const auto frame = std::chrono::steady_clock::time_point(std::chrono::nanoseconds(ns));
    return std::chrono::duration<double, std::milli>(frame - run.started).count();
}

inline OffscreenRun runOffscreen(const std::string& program, const std::string& deviceRoot) {
    OffscreenRun run;
    int out[2];
    if (::pipe(out) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "NESTORA_DEVICE_ROOT=" + deviceRoot};
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        if (!entry.starts_with("NESTORA_DEVICE_ROOT=") && !entry.starts_with("QT_QPA_PLATFORM=")) env.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    pid_t pid = 0;
    run.started = std::chrono::steady_clock::now();
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    char buffer[512];
    ssize_t n = 0;
    while (spawned == 0 && (n = ::read(out[0], buffer, sizeof buffer)) > 0) {
        run.out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (spawned != 0) return run;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return run;
    run.peakResidentMB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
    run.ok = true;
    return run;
}

}  // namespace nestora::bench
