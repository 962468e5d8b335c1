// The stand-in home screen on the large device (2,000 apps, 1,000
// categories, so 3,000 icons):
//  - launch (from before the process is spawned) to the first painted
//    frame, peak resident memory and icons
//    decoded, each run a fresh process (nestora_home_first_frame, which also
//    restarts the home screen once before it ends); the same launch on a
//    device with 20 apps and one category is the baseline;
//  - a restart reload, with the services' index still current (the usual
//    case: Nestora only hid apps) and with it rebuilt (a category was
//    created), against the I/O floor of reading the Info.plist of every
//    bundle the scan opens and nothing else.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "LargeDevice.h"
#include "OffscreenRun.h"
#include "home/HomeScreen.h"
#include "platform/Files.h"
#include "ui/SystemFont.h"

namespace {

const std::string kFirstFrame = std::string(NESTORA_BINARY_DIR) + "/home/nestora_home_first_frame";

struct Launch {
    bool ok = false;
    double firstFrameMs = 0;
    double peakResidentMB = 0;
    long icons = 0;
    long decoded = 0;
};

Launch launchOnce(const std::string& deviceRoot) {
    Launch launch;
    const nestora::bench::OffscreenRun run = nestora::bench::runOffscreen(kFirstFrame, deviceRoot);
    if (!run.ok || std::sscanf(run.out.c_str(), "first-frame-ms %lf\nicons %ld decoded %ld", &launch.firstFrameMs,
                               &launch.icons, &launch.decoded) != 3) {
        return launch;
    }
    launch.peakResidentMB = run.peakResidentMB;
    // What the user waits for starts with the process, not with main.
    if (const auto fromStart = nestora::bench::msFromStartTo(run)) launch.firstFrameMs = *fromStart;
    launch.ok = true;
    return launch;
}

void runLaunches(benchmark::State& state, const std::string& deviceRoot) {
    if (!std::filesystem::exists(kFirstFrame)) {
        state.SkipWithError("nestora_home_first_frame is not built");
        return;
    }
    double peak = 0;
    Launch last;
    for (auto _ : state) {
        last = launchOnce(deviceRoot);
        if (!last.ok) {
            state.SkipWithError("the home screen did not reach its first frame");
            return;
        }
        state.SetIterationTime(last.firstFrameMs / 1000.0);
        peak = std::max(peak, last.peakResidentMB);
    }
    state.counters["peak_rss_MB"] = peak;
    state.counters["icons"] = static_cast<double>(last.icons);
    state.counters["icons_decoded"] = static_cast<double>(last.decoded);
}

void BM_HomeFirstFrame_OneCategory(benchmark::State& state) {
    runLaunches(state, nestora::bench::oneCategoryDeviceRoot());
}
void BM_HomeFirstFrame_LargeDevice(benchmark::State& state) {
    runLaunches(state, nestora::bench::largeDeviceRoot());
}

// The I/O floor of a reload: list the two application folders and the
// containers, read every bundle's Info.plist once, parse nothing.
std::size_t readEveryInfoPlist() {
    namespace files = nestora::files;
    const auto none = std::vector<std::string>{};
    std::size_t count = 0;
    std::size_t bytes = 0;
    const auto readBundles = [&](const std::string& folder, bool skipDotNames) {
        for (const std::string& name : files::listFolder(folder).value_or(none)) {
            if (!name.ends_with(".app") || (skipDotNames && name.starts_with('.'))) continue;
            bytes += files::readFile(folder + "/" + name + "/Info.plist").value_or(std::string()).size();
            ++count;
        }
    };
    readBundles("/Applications", true);
    for (const std::string& container : files::listFolder("/var/mobile/Applications").value_or(none)) {
        readBundles("/var/mobile/Applications/" + container, false);
    }
    benchmark::DoNotOptimize(bytes);
    return count;
}

void BM_ReadEveryInfoPlist_Floor(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    std::size_t files = 0;
    for (auto _ : state) files = readEveryInfoPlist();
    state.counters["files"] = static_cast<double>(files);
}

void BM_HomeRestart_IndexCurrent(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    nestora::home::HomeScreen home;
    for (auto _ : state) home.restart();
    state.counters["icons"] = static_cast<double>(home.icons().size());
}

void BM_HomeRestart_IndexRebuilt(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    nestora::home::HomeScreen home;
    for (auto _ : state) {
        state.PauseTiming();
        // A change in /Applications makes the services rebuild their index.
        (void)nestora::files::createEmptyFile("/Applications/.bench-change");
        (void)nestora::files::removeRecursively("/Applications/.bench-change");
        state.ResumeTiming();
        home.restart();
    }
}

}  // namespace

BENCHMARK(BM_HomeFirstFrame_OneCategory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_HomeFirstFrame_LargeDevice)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadEveryInfoPlist_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HomeRestart_IndexCurrent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HomeRestart_IndexRebuilt)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // The reloads run in this process, on Qt's offscreen platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    nestora::ui::loadSystemFont();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
