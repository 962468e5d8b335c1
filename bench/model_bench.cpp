// The add-items screen's wait on a large device (2,000 apps, 1,000
// categories): scanning the installed apps, then sorting them by name, set
// against the time to merely read the bytes of the same files.
//
//   build/bench/model_bench [--benchmark_filter=...]
//
// After the runs it prints the ratio of scan + sort to reading the bytes, how
// many bytes the sort read (it must read none: names come from the services'
// index), and the peak memory of the process.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "bench/LargeDevice.h"
#include "bench/ScanFloor.h"
#include "model/AppInventory.h"
#include "platform/AppServices.h"
#include "platform/Files.h"
#include "platform/Preferences.h"

namespace {

constexpr std::string_view kModel = "iPhone";
constexpr int kRepetitions = 5;

void BM_ReadBytesOfTheSameFiles(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(nestora::bench::readBytesOfTheScannedFiles());
    }
}
BENCHMARK(BM_ReadBytesOfTheSameFiles)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);

void BM_ScanAvailableApps(benchmark::State& state) {
    const nestora::platform::Preferences preferences;
    for (auto _ : state) {
        auto list = nestora::model::scanAvailableApps(preferences, kModel, false);
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_ScanAvailableApps)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);

void BM_SortByLocalizedName(benchmark::State& state) {
    const nestora::platform::Preferences preferences;
    const nestora::platform::DeviceAppServices services;
    services.bundleCount();  // the index is the application's, built before the screen shows
    const auto list = nestora::model::scanAvailableApps(preferences, kModel, false);
    state.counters["apps"] = static_cast<double>(list.size());
    for (auto _ : state) {
        auto sorted = nestora::model::sortedByLocalizedName(services, list);
        benchmark::DoNotOptimize(sorted.data());
    }
}
BENCHMARK(BM_SortByLocalizedName)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);

void BM_ScanThenSort(benchmark::State& state) {
    const nestora::platform::Preferences preferences;
    const nestora::platform::DeviceAppServices services;
    services.bundleCount();
    for (auto _ : state) {
        auto sorted = nestora::model::sortedByLocalizedName(
            services, nestora::model::scanAvailableApps(preferences, kModel, false));
        benchmark::DoNotOptimize(sorted.data());
    }
}
BENCHMARK(BM_ScanThenSort)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);

// Keeps the best wall time per iteration of each benchmark over its
// repetitions for the summary: on a shared machine the minimum is the figure
// least disturbed by other work.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                const double perIteration = run.real_accumulated_time / static_cast<double>(run.iterations);
                const auto [it, inserted] = seconds.emplace(run.run_name.function_name, perIteration);
                if (!inserted && perIteration < it->second) it->second = perIteration;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

// Bytes read through read() so far ("rchar" of /proc/self/io).
long long bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") return value;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);

    nestora::bench::largeDeviceRoot();

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // The sort on its own, once more, watching what it reads.
    {
        const nestora::platform::Preferences preferences;
        const nestora::platform::DeviceAppServices services;
        services.bundleCount();
        const auto list = nestora::model::scanAvailableApps(preferences, kModel, false);
        // Reading the counter reads bytes too; measure that and take it off.
        const long long idle0 = bytesReadSoFar();
        const long long idle1 = bytesReadSoFar();
        const long long before = bytesReadSoFar();
        const auto sorted = nestora::model::sortedByLocalizedName(services, list);
        const long long after = bytesReadSoFar();
        std::printf("sort of %zu apps read %lld bytes\n", sorted.size(), (after - before) - (idle1 - idle0));
    }
    const auto& s = reporter.seconds;
    for (const auto& [name, best] : s) std::printf("%-28s best %.3f ms\n", name.c_str(), best * 1e3);
    if (s.contains("BM_ReadBytesOfTheSameFiles") && s.contains("BM_ScanThenSort")) {
        std::printf("scan + sort / reading the bytes = %.2f\n",
                    s.at("BM_ScanThenSort") / s.at("BM_ReadBytesOfTheSameFiles"));
    }
    if (s.contains("BM_ReadBytesOfTheSameFiles") && s.contains("BM_ScanAvailableApps")) {
        std::printf("scan alone / reading the bytes = %.2f\n",
                    s.at("BM_ScanAvailableApps") / s.at("BM_ReadBytesOfTheSameFiles"));
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);

    benchmark::Shutdown();
    return 0;
}
