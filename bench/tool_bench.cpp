// NestoraTool on the large device (1,000 categories, 2,000 apps): --list,
// --repairall, --create with 999 numbers taken, --delete of a 500-item
// category and --show of one, each against the I/O floor of the same run
// (reading the bytes of the files the operation has to look at). In-process
// runs show the tool's own cost; the whole-program runs add process
// start-up. The in-process runs count the fsync calls the operation makes
// and the time spent in them (counters "fsyncs" and "fsync_ms").
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "LargeDevice.h"
#include "QuietRun.h"
#include "common/CategoryNaming.h"
#include "common/IconHiding.h"
#include "platform/AppServices.h"
#include "platform/Files.h"
#include "platform/Plist.h"
#include "tool/CategoryEnumeration.h"
#include "tool/CategoryMaintenance.h"
#include "tool/CategoryChanges.h"
#include "tool/CategoryPreferencesFile.h"
#include "tool/CategoryStore.h"

// Every fsync and fdatasync of this process, the tool library's included,
// comes here first: counted and timed, then done.
namespace {
struct FsyncTally {
    long long calls = 0;
    std::chrono::nanoseconds spent{0};
};
FsyncTally gFsyncs;

template <typename Call>
int timedSync(const char* name, int fd) {
    static const auto real = reinterpret_cast<Call>(dlsym(RTLD_NEXT, name));
    const auto start = std::chrono::steady_clock::now();
    const int result = real(fd);
    gFsyncs.spent += std::chrono::steady_clock::now() - start;
    ++gFsyncs.calls;
    return result;
}
}  // namespace

extern "C" int fsync(int fd) { return timedSync<int (*)(int)>("fsync", fd); }
extern "C" int fdatasync(int fd) { return timedSync<int (*)(int)>("fdatasync", fd); }

namespace {

// The fsyncs made in the timed parts of a benchmark, reported per iteration.
class TimedFsyncs {
public:
    void start() { start_ = gFsyncs; }
    void stop() {
        calls_ += gFsyncs.calls - start_.calls;
        spent_ += gFsyncs.spent - start_.spent;
    }
    void report(benchmark::State& state) const {
        const double iterations = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
        state.counters["fsyncs"] = static_cast<double>(calls_) / iterations;
        state.counters["fsync_ms"] = std::chrono::duration<double, std::milli>(spent_).count() / iterations;
    }

private:
    FsyncTally start_;
    long long calls_ = 0;
    std::chrono::nanoseconds spent_{0};
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using Output = std::unique_ptr<std::FILE, FileCloser>;

Output discard() { return Output(std::fopen("/dev/null", "w")); }

// What a tool run works with, over the bench device: its output and the
// preferences folder, opened once as the tool opens it.
struct BenchRun {
    Output out = discard();
    nestora::tool::PreferencesFolder preferences = nestora::tool::openPreferencesFolder();
    nestora::tool::ToolContext context{.out = out.get(), .appServices = nullptr, .preferencesFolder = &preferences};
};

// What --list and --repairall must read: both folder listings, the
// Info.plist of every ".app" in /Applications.
std::size_t readListFloor() {
    std::size_t bytes = 0;
    for (const auto& name : nestora::files::listFolder("/Applications").value_or(std::vector<std::string>{})) {
        if (name.ends_with(".app")) {
            bytes += nestora::files::readFile("/Applications/" + name + "/Info.plist").value_or("").size();
        }
    }
    bytes += nestora::files::listFolder(nestora::kCategoryPreferencesFolder).value_or(std::vector<std::string>{}).size();
    return bytes;
}

// Runs the built program with its output thrown away; false when it failed.
bool runTool(const std::vector<std::string>& arguments) {
    std::vector<std::string> args{NESTORA_BINARY_DIR "/tool/NestoraTool"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return nestora::bench::runQuietly(std::move(args));
}

void BM_IoFloorList(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    for (auto _ : state) benchmark::DoNotOptimize(readListFloor());
}
BENCHMARK(BM_IoFloorList)->Unit(benchmark::kMillisecond);

// The same floor as a whole program, for the figures of whole tool runs:
// both sides pay a process start.
void BM_ListFloorProgram(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    for (auto _ : state) {
        if (!nestora::bench::runQuietly({NESTORA_BINARY_DIR "/bench/nestora_bench_floor", "list"})) {
            state.SkipWithError("the floor failed");
            break;
        }
    }
}
BENCHMARK(BM_ListFloorProgram)->Unit(benchmark::kMillisecond);

void BM_List(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    const BenchRun run;
    for (auto _ : state) nestora::tool::printCategoryList(run.context);
}
BENCHMARK(BM_List)->Unit(benchmark::kMillisecond);

// Whole runs of the program, process start to exit.
void runToolEachIteration(benchmark::State& state, const std::string& option) {
    nestora::bench::largeDeviceRoot();
    for (auto _ : state) {
        if (!runTool({option})) {
            state.SkipWithError(("NestoraTool " + option + " failed").c_str());
            break;
        }
    }
}

void BM_ListProgram(benchmark::State& state) { runToolEachIteration(state, "--list"); }
BENCHMARK(BM_ListProgram)->Unit(benchmark::kMillisecond);

void BM_RepairAll(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    const BenchRun run;
    for (auto _ : state) nestora::tool::repairEveryCategory(run.context);
}
BENCHMARK(BM_RepairAll)->Unit(benchmark::kMillisecond);

void BM_RepairAllProgram(benchmark::State& state) { runToolEachIteration(state, "--repairall"); }
BENCHMARK(BM_RepairAllProgram)->Unit(benchmark::kMillisecond);

// 999 numbers taken: Category999 is made free, created and removed again.
void BM_Create999Taken(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    const BenchRun run;
    const std::string identifier = "com.quarvek.nestora.Category999";
    nestora::tool::removeCategoryFiles(run.context, identifier);
    TimedFsyncs fsyncs;
    for (auto _ : state) {
        fsyncs.start();
        if (!nestora::tool::createCategory(run.context, "Bench")) {
            state.SkipWithError("create failed");
            break;
        }
        fsyncs.stop();
        state.PauseTiming();
        nestora::tool::removeCategoryFiles(run.context, identifier);
        state.ResumeTiming();
    }
    fsyncs.report(state);
    nestora::tool::repairCategory(run.context, identifier);
}
BENCHMARK(BM_Create999Taken)->Unit(benchmark::kMillisecond);

void BM_Create999TakenProgram(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    const BenchRun run;
    const std::string identifier = "com.quarvek.nestora.Category999";
    nestora::tool::removeCategoryFiles(run.context, identifier);
    for (auto _ : state) {
        if (!runTool({"-c", "Bench"})) {
            state.SkipWithError("NestoraTool -c failed");
            break;
        }
        state.PauseTiming();
        nestora::tool::removeCategoryFiles(run.context, identifier);
        state.ResumeTiming();
    }
    nestora::tool::repairCategory(run.context, identifier);
}
BENCHMARK(BM_Create999TakenProgram)->Unit(benchmark::kMillisecond);

// A category of 500 items at Category999 (999 other numbers taken), as the
// app leaves it: made by create, its items written to the preferences file.
void makeCategoryOf500Items(const nestora::tool::ToolContext& context) {
    const std::string identifier = "com.quarvek.nestora.Category999";
    nestora::tool::removeCategoryFiles(context, identifier);
    nestora::tool::createCategory(context, "Bench");
    nestora::plist::Array items;
    for (int n = 0; n < 500; ++n) {
        char id[32];
        std::snprintf(id, sizeof id, "com.example.app%04d", (n * 3) % 2000);
        items.emplace_back(std::string(id));
    }
    nestora::plist::Dictionary contents;
    contents["items"] = std::move(items);
    nestora::files::writeFileAtomically(nestora::prefsPathForIdentifier(identifier),
                                        nestora::plist::toBinary(nestora::plist::Value(contents)));
}

// --delete of it with the name service's index built: the tool's own cost
// (un-hiding 500 items through the hide library the device has, here none;
// removing "items"; taking the bundle away; removing the preferences file).
void BM_Delete500Items(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    const BenchRun run;
    nestora::platform::DeviceAppServices services;
    benchmark::DoNotOptimize(services.bundleCount());
    const nestora::tool::ToolContext context{.out = run.out.get(), .appServices = &services, .preferencesFolder = &run.preferences};
    TimedFsyncs fsyncs;
    for (auto _ : state) {
        state.PauseTiming();
        makeCategoryOf500Items(run.context);
        state.ResumeTiming();
        fsyncs.start();
        if (!nestora::tool::deleteCategory(context, "com.quarvek.nestora.Category999")) {
            state.SkipWithError("delete failed");
            break;
        }
        fsyncs.stop();
    }
    fsyncs.report(state);
    nestora::tool::repairCategory(run.context, "com.quarvek.nestora.Category999");
}
BENCHMARK(BM_Delete500Items)->Unit(benchmark::kMillisecond);

// The same as one run of the program: start-up and the name service's index.
void BM_Delete500ItemsProgram(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    const BenchRun run;
    for (auto _ : state) {
        state.PauseTiming();
        makeCategoryOf500Items(run.context);
        state.ResumeTiming();
        if (!runTool({"-d", "Category999"})) {
            state.SkipWithError("NestoraTool -d failed");
            break;
        }
    }
    nestora::tool::repairCategory(run.context, "com.quarvek.nestora.Category999");
}
BENCHMARK(BM_Delete500ItemsProgram)->Unit(benchmark::kMillisecond);

// The same with the stand-in hide library installed and the 500 apps hidden
// in it: each un-hide is a library call that rewrites (and flushes) the
// stand-in's list of hidden apps, and the name service indexes every app to
// give the library their paths. The stand-in's share is what this adds to
// the run above.
void BM_Delete500ItemsProgramWithStandInHideLibrary(benchmark::State& state) {
    static constexpr const char* kHiddenIcons = "/var/lib/nestora/hidden-icons.plist";
    const std::string root = nestora::bench::largeDeviceRoot();
    const BenchRun run;
    const std::string library = root + "/usr/lib/hide.dylib";
    std::filesystem::create_directories(root + "/usr/lib");
    std::filesystem::create_directories(root + "/var/lib/nestora");
    std::filesystem::copy_file(NESTORA_BINARY_DIR "/hide/hide.dylib", library,
                               std::filesystem::copy_options::overwrite_existing);
    makeCategoryOf500Items(run.context);
    nestora::plist::Array hidden;
    {
        nestora::platform::DeviceAppServices services;
        for (const std::string& item :
             nestora::tool::readCategoryItems(run.preferences, "com.quarvek.nestora.Category999").value_or(std::vector<std::string>{})) {
            if (auto path = nestora::infoPlistPathForDisplayIdentifier(services, item)) hidden.emplace_back(*path);
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        makeCategoryOf500Items(run.context);
        if (!nestora::plist::writeXmlAtomically(kHiddenIcons, nestora::plist::Value(hidden))) {
            state.SkipWithError("the stand-in's list could not be written");
            break;
        }
        state.ResumeTiming();
        if (!runTool({"-d", "Category999"})) {
            state.SkipWithError("NestoraTool -d failed");
            break;
        }
        state.PauseTiming();
        const auto left = nestora::plist::readFile(kHiddenIcons);
        if (!left || !left->array() || !left->array()->empty()) {
            state.SkipWithError("the delete left apps hidden");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["hidden_before"] = static_cast<double>(hidden.size());
    std::filesystem::remove(library);
    nestora::tool::repairCategory(run.context, "com.quarvek.nestora.Category999");
}
BENCHMARK(BM_Delete500ItemsProgramWithStandInHideLibrary)->Unit(benchmark::kMillisecond);

// The floor of --show: the Info.plist of every app the name lookup indexes
// (both application folders), read once.
void BM_IoFloorShow(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    for (auto _ : state) {
        std::size_t bytes = readListFloor();
        const std::string user = "/var/mobile/Applications";
        for (const auto& container : nestora::files::listFolder(user).value_or(std::vector<std::string>{})) {
            for (const auto& name :
                 nestora::files::listFolder(user + "/" + container).value_or(std::vector<std::string>{})) {
                bytes += nestora::files::readFile(user + "/" + container + "/" + name + "/Info.plist")
                             .value_or("")
                             .size();
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_IoFloorShow)->Unit(benchmark::kMillisecond);

// --show of a 500-item category, as one run of the tool does it: a fresh
// name service, then one lookup per item.
void BM_Show500Items(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    nestora::plist::Array items;
    for (int n = 0; n < 500; ++n) {
        char id[32];
        std::snprintf(id, sizeof id, "com.example.app%04d", (n * 7) % 2000);
        items.emplace_back(std::string(id));
    }
    const std::string path = nestora::prefsPathForIdentifier("com.quarvek.nestora.Category998");
    const auto before = nestora::files::readFile(path);
    nestora::plist::Dictionary contents;
    contents["items"] = items;
    nestora::files::writeFileAtomically(path, nestora::plist::toBinary(nestora::plist::Value(contents)));
    const BenchRun run;
    for (auto _ : state) {
        nestora::platform::DeviceAppServices services;
        const nestora::tool::ToolContext context{.out = run.out.get(), .appServices = &services, .preferencesFolder = &run.preferences};
        nestora::tool::showCategory(context, "com.quarvek.nestora.Category998");
    }
    if (before) nestora::files::writeFileAtomically(path, *before);
}
BENCHMARK(BM_Show500Items)->Unit(benchmark::kMillisecond);

// The share of the above that is the tool's own: the same --show with a name
// service whose index is already built.
void BM_Show500ItemsIndexBuilt(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    nestora::plist::Dictionary contents;
    nestora::plist::Array items;
    for (int n = 0; n < 500; ++n) {
        char id[32];
        std::snprintf(id, sizeof id, "com.example.app%04d", (n * 7) % 2000);
        items.emplace_back(std::string(id));
    }
    contents["items"] = items;
    const std::string path = nestora::prefsPathForIdentifier("com.quarvek.nestora.Category998");
    const auto before = nestora::files::readFile(path);
    nestora::files::writeFileAtomically(path, nestora::plist::toBinary(nestora::plist::Value(contents)));
    nestora::platform::DeviceAppServices services;
    benchmark::DoNotOptimize(services.bundleCount());
    const BenchRun run;
    const nestora::tool::ToolContext context{.out = run.out.get(), .appServices = &services, .preferencesFolder = &run.preferences};
    for (auto _ : state) nestora::tool::showCategory(context, "com.quarvek.nestora.Category998");
    if (before) nestora::files::writeFileAtomically(path, *before);
}
BENCHMARK(BM_Show500ItemsIndexBuilt)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
