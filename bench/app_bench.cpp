// Launch of the graphical app on the large device (1,000 categories): time
// from the start of main to the first painted frame, and the peak resident
// memory of the process. Each run is a fresh process (nestora_first_frame,
// the app's launch with a watch on the first paint), on Qt's offscreen
// platform. The same launch on a device with one category is the baseline,
// so the figures read as ratios from one run.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "LargeDevice.h"

extern char** environ;

namespace {

const std::string kFirstFrame = std::string(NESTORA_BINARY_DIR) + "/app/nestora_first_frame";

struct Launch {
    bool ok = false;
    double firstFrameMs = 0;
    double peakResidentMB = 0;
    long cellsConfigured = 0;
};

Launch launchOnce(const std::string& deviceRoot) {
    Launch launch;
    int out[2];
    if (::pipe(out) != 0) return launch;
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
    std::string program = kFirstFrame;
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    char buffer[512];
    ssize_t n = 0;
    while (spawned == 0 && (n = ::read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    if (spawned != 0) return launch;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return launch;
    int rows = 0;
    std::size_t cells = 0;
    if (std::sscanf(text.c_str(), "first-frame-ms %lf\nrows %d cells-configured %zu", &launch.firstFrameMs, &rows,
                    &cells) != 3) {
        return launch;
    }
    launch.cellsConfigured = static_cast<long>(cells);
    launch.peakResidentMB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
    launch.ok = true;
    return launch;
}

void runLaunches(benchmark::State& state, const std::string& deviceRoot) {
    if (!std::filesystem::exists(kFirstFrame)) {
        state.SkipWithError("nestora_first_frame is not built");
        return;
    }
    double peak = 0;
    long cells = 0;
    for (auto _ : state) {
        const Launch launch = launchOnce(deviceRoot);
        if (!launch.ok) {
            state.SkipWithError("the app did not reach its first frame");
            return;
        }
        state.SetIterationTime(launch.firstFrameMs / 1000.0);
        peak = std::max(peak, launch.peakResidentMB);
        cells = launch.cellsConfigured;
    }
    state.counters["peak_rss_MB"] = peak;
    state.counters["cells_configured"] = static_cast<double>(cells);
}

void BM_LaunchToFirstFrame_LargeDevice(benchmark::State& state) {
    runLaunches(state, nestora::bench::largeDeviceRoot());
}

// A device with one category, made once and removed at exit.
std::string makeOneCategoryDevice() {
    std::string dir = (std::filesystem::temp_directory_path() / "nestora-small-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr) std::abort();
    const std::string command =
        std::string(NESTORA_SOURCE_DIR) + "/bench/make-large-device '" + dir + "' --apps 20 --categories 1 >/dev/null";
    if (std::system(command.c_str()) != 0) std::abort();
    return dir;
}

const std::string& oneCategoryDevice() {
    static const std::string root = makeOneCategoryDevice();
    // Registered after `root` is built, so it runs before `root` goes.
    static const bool cleanup = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(oneCategoryDevice(), ignored);
    }) == 0;
    (void)cleanup;
    return root;
}

void BM_LaunchToFirstFrame_OneCategory(benchmark::State& state) {
    runLaunches(state, oneCategoryDevice());
}

}  // namespace

BENCHMARK(BM_LaunchToFirstFrame_OneCategory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LaunchToFirstFrame_LargeDevice)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
