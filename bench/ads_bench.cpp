// What the ad strip costs the app, on the large device (1,000 categories):
// the launch to the first painted frame with the strip and without it (by
// turns, medians and their ratio as counters), and
// the processor time of an untouched app over ten seconds with the strip
// running, as a share of one core. The maker's host is scripts/ad-server on
// loopback, named in the device's app bundle Info.plist; "fastest" feeds
// intervals of 0, so every loop runs at its one-second floor. Each figure
// comes from fresh processes of nestora_first_frame; read them as ratios.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "LargeDevice.h"

extern char** environ;

namespace {

const std::string kFirstFrame = std::string(NESTORA_BINARY_DIR) + "/app/nestora_first_frame";
constexpr int kIdleMs = 10000;

// A program started with its standard output on a pipe; ended and reaped
// when this goes.
class Spawned {
public:
    Spawned(std::vector<std::string> argv, const std::vector<std::string>& extraEnvironment) {
        int out[2];
        if (::pipe(out) != 0) return;
        std::vector<std::string> env = extraEnvironment;
        for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<char*> args;
        for (std::string& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        output_ = ::fdopen(out[0], "r");
    }
    ~Spawned() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_ != nullptr) std::fclose(output_);
    }
    Spawned(const Spawned&) = delete;
    Spawned& operator=(const Spawned&) = delete;

    // The next line of its output; "" at its end.
    std::string line() {
        char buffer[512];
        return output_ != nullptr && std::fgets(buffer, sizeof buffer, output_) != nullptr ? buffer : "";
    }
    // Waits for it to end; true when it exited with status 0.
    bool succeeded() {
        int status = 0;
        const bool ok =
            pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        pid_ = -1;
        return ok;
    }

private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
};

// scripts/ad-server with the feed, named as the large device's ads host.
class AdsHost {
public:
    explicit AdsHost(const std::string& feed)
        : server_({"/usr/bin/env", "python3", std::string(NESTORA_SOURCE_DIR) + "/scripts/ad-server", "--feed", feed},
                  {}) {
        const std::string first = server_.line();  // "ad-server: serving http://127.0.0.1:PORT"
        const auto at = first.find("127.0.0.1:");
        if (at == std::string::npos) return;
        const std::string host = first.substr(at, first.find_first_of("\r\n", at) - at);
        const std::string bundle = nestora::bench::largeDeviceRoot() + "/Applications/Nestora.app";
        std::filesystem::create_directories(bundle);
        std::ofstream(bundle + "/Info.plist")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
            << "<key>NestoraAdsHost</key><string>" << host << "</string></dict></plist>\n";
        ok_ = true;
    }
    bool ok() const { return ok_; }

private:
    Spawned server_;
    bool ok_ = false;
};

Spawned launch(const std::vector<std::string>& options) {
    std::vector<std::string> argv = {kFirstFrame};
    argv.insert(argv.end(), options.begin(), options.end());
    return Spawned(argv, {"QT_QPA_PLATFORM=offscreen", "NESTORA_DEVICE_ROOT=" + nestora::bench::largeDeviceRoot()});
}

// One launch to the first frame; its time in milliseconds, or none.
std::optional<double> firstFrameMs(bool withStrip) {
    Spawned app = launch(withStrip ? std::vector<std::string>{} : std::vector<std::string>{"--without-ad-strip"});
    double ms = 0;
    if (std::sscanf(app.line().c_str(), "first-frame-ms %lf", &ms) != 1 || !app.succeeded()) return std::nullopt;
    return ms;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Launches with and without the strip by turns, so that the machine's load
// falls on both alike; the iteration time is the launch with the strip.
void BM_LaunchToFirstFrame_LargeDevice_WithAndWithoutAdStrip(benchmark::State& state) {
    if (!std::filesystem::exists(kFirstFrame)) return state.SkipWithError("nestora_first_frame is not built");
    AdsHost host("2:30,0:45,1:20");
    if (!host.ok()) return state.SkipWithError("scripts/ad-server did not start");
    std::vector<double> with;
    std::vector<double> without;
    for (auto _ : state) {
        const auto bare = firstFrameMs(false);
        const auto stripped = firstFrameMs(true);
        if (!bare || !stripped) return state.SkipWithError("the app did not reach its first frame");
        without.push_back(*bare);
        with.push_back(*stripped);
        state.SetIterationTime(*stripped / 1000.0);
    }
    state.counters["without_strip_median_ms"] = median(without);
    state.counters["with_strip_median_ms"] = median(with);
    state.counters["with_over_without"] = median(with) / median(without);
}

void idleShareOfACore(benchmark::State& state, const std::string& feed, bool withStrip) {
    if (!std::filesystem::exists(kFirstFrame)) return state.SkipWithError("nestora_first_frame is not built");
    AdsHost host(feed);
    if (!host.ok()) return state.SkipWithError("scripts/ad-server did not start");
    double share = 0;
    for (auto _ : state) {
        std::vector<std::string> options = {"--idle-ms", std::to_string(kIdleMs)};
        if (!withStrip) options.emplace_back("--without-ad-strip");
        Spawned app = launch(options);
        app.line();  // first-frame-ms
        double cpuMs = 0;
        double wallMs = 0;
        if (std::sscanf(app.line().c_str(), "idle-cpu-ms %lf wall-ms %lf", &cpuMs, &wallMs) != 2 ||
            !app.succeeded() || wallMs <= 0) {
            return state.SkipWithError("the app did not report its idle time");
        }
        share = cpuMs / wallMs * 100.0;
        state.SetIterationTime(wallMs / 1000.0);
    }
    state.counters["core_percent"] = share;
}

void BM_Idle_WithoutAdStrip(benchmark::State& state) {
    idleShareOfACore(state, "2:30,0:45,1:20", false);
}
void BM_Idle_WithAdStrip(benchmark::State& state) {
    idleShareOfACore(state, "2:30,0:45,1:20", true);
}
void BM_Idle_WithAdStrip_FastestFeed(benchmark::State& state) {
    idleShareOfACore(state, "2:00,0:00,1:00", true);
}

}  // namespace

BENCHMARK(BM_LaunchToFirstFrame_LargeDevice_WithAndWithoutAdStrip)
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_Idle_WithoutAdStrip)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Idle_WithAdStrip)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Idle_WithAdStrip_FastestFeed)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
