// The home-screen services index on the large device, against the I/O floor:
// reading the bytes of the same Info.plist files.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "LargeDevice.h"
#include "platform/AppServices.h"
#include "platform/Files.h"

namespace {

// Every Info.plist the index reads, by device path.
std::vector<std::string> infoPlistPaths() {
    std::vector<std::string> paths;
    for (const auto& name : nestora::files::listFolder("/Applications").value_or(std::vector<std::string>{})) {
        if (name.ends_with(".app")) paths.push_back("/Applications/" + name + "/Info.plist");
    }
    const std::string user = "/var/mobile/Applications";
    for (const auto& container : nestora::files::listFolder(user).value_or(std::vector<std::string>{})) {
        for (const auto& name : nestora::files::listFolder(user + "/" + container).value_or(std::vector<std::string>{})) {
            if (name.ends_with(".app")) paths.push_back(user + "/" + container + "/" + name + "/Info.plist");
        }
    }
    return paths;
}

void BM_IoFloorReadInfoPlists(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    for (auto _ : state) {
        // Listing the folders is part of what the index does too.
        const auto paths = infoPlistPaths();
        std::size_t bytes = 0;
        for (const auto& path : paths) bytes += nestora::files::readFile(path).value_or("").size();
        benchmark::DoNotOptimize(bytes);
        state.counters["files"] = static_cast<double>(paths.size());
    }
}
BENCHMARK(BM_IoFloorReadInfoPlists)->Unit(benchmark::kMillisecond);

void BM_ServicesIndexBuild(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    for (auto _ : state) {
        nestora::platform::DeviceAppServices services;
        benchmark::DoNotOptimize(services.bundleCount());
        state.counters["bundles"] = static_cast<double>(services.bundleCount());
    }
}
BENCHMARK(BM_ServicesIndexBuild)->Unit(benchmark::kMillisecond);

// A rebuild after one change in /Applications (a category created or
// renamed): the folders are listed again, but only changed Info.plists read.
void BM_ServicesIndexRebuildAfterOneChange(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    nestora::platform::DeviceAppServices services;
    benchmark::DoNotOptimize(services.bundleCount());
    for (auto _ : state) {
        state.PauseTiming();
        (void)nestora::files::createEmptyFile("/Applications/.bench-change");
        (void)nestora::files::removeRecursively("/Applications/.bench-change");
        state.ResumeTiming();
        benchmark::DoNotOptimize(services.bundleCount());
    }
}
BENCHMARK(BM_ServicesIndexRebuildAfterOneChange)->Unit(benchmark::kMillisecond);

void BM_ServicesLookup(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    nestora::platform::DeviceAppServices services;
    std::vector<std::string> ids;
    for (int n = 0; n < 2000; ++n) {
        char id[32];
        std::snprintf(id, sizeof id, "com.example.app%04d", n);
        ids.emplace_back(id);
    }
    benchmark::DoNotOptimize(services.bundleCount());
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(services.localizedApplicationNameForDisplayIdentifier(ids[i++ % ids.size()]));
    }
    state.counters["lookups/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ServicesLookup);

// Prints the ratio of the index build to its floor after the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double floor = times_["BM_IoFloorReadInfoPlists"];
        const double build = times_["BM_ServicesIndexBuild"];
        if (floor > 0) std::printf("services index build / I/O floor = %.2f (goal: at most 3)\n", build / floor);
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
