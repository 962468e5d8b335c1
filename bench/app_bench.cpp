// Launch of the graphical app on the large device (1,000 categories): time
// from the start of the process (before it is spawned) to the first painted
// frame, and the peak resident
// memory of the process. Each run is a fresh process (nestora_first_frame,
// the app's launch with a watch on the first paint), on Qt's offscreen
// platform. The same launch on a device with one category is the baseline,
// so the figures read as ratios from one run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "LargeDevice.h"
#include "OffscreenRun.h"

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
    const nestora::bench::OffscreenRun run = nestora::bench::runOffscreen(kFirstFrame, deviceRoot);
    int rows = 0;
    std::size_t cells = 0;
    if (!run.ok || std::sscanf(run.out.c_str(), "first-frame-ms %lf\nrows %d cells-configured %zu",
                               &launch.firstFrameMs, &rows, &cells) != 3) {
        return launch;
    }
    launch.cellsConfigured = static_cast<long>(cells);
    launch.peakResidentMB = run.peakResidentMB;
    // What the user waits for starts with the process, not with main.
    if (const auto fromStart = nestora::bench::msFromStartTo(run)) launch.firstFrameMs = *fromStart;
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

void BM_LaunchToFirstFrame_OneCategory(benchmark::State& state) {
    runLaunches(state, nestora::bench::oneCategoryDeviceRoot());
}

}  // namespace

BENCHMARK(BM_LaunchToFirstFrame_OneCategory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LaunchToFirstFrame_LargeDevice)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
