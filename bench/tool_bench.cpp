// NestoraTool on the large device (1,000 categories, 2,000 apps): --list,
// --repairall, --create with 999 numbers taken and --show of a 500-item
// category, each against the I/O floor of the same run (reading the bytes of
// the files the operation has to look at). In-process runs show the tool's
// own cost; the whole-program runs add process start-up.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "LargeDevice.h"
#include "QuietRun.h"
#include "common/CategoryNaming.h"
#include "platform/AppServices.h"
#include "platform/Files.h"
#include "platform/Plist.h"
#include "tool/CategoryEnumeration.h"
#include "tool/CategoryMaintenance.h"
#include "tool/CategoryStore.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using Output = std::unique_ptr<std::FILE, FileCloser>;

Output discard() { return Output(std::fopen("/dev/null", "w")); }

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

void BM_List(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    Output out = discard();
    for (auto _ : state) nestora::tool::printCategoryList(out.get());
}
BENCHMARK(BM_List)->Unit(benchmark::kMillisecond);

void BM_ListProgram(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    for (auto _ : state) {
        if (!runTool({"--list"})) {
            state.SkipWithError("NestoraTool --list failed");
            break;
        }
    }
}
BENCHMARK(BM_ListProgram)->Unit(benchmark::kMillisecond);

void BM_RepairAll(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    Output out = discard();
    for (auto _ : state) nestora::tool::repairEveryCategory(out.get());
}
BENCHMARK(BM_RepairAll)->Unit(benchmark::kMillisecond);

// 999 numbers taken: Category999 is made free, created and removed again.
void BM_Create999Taken(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    Output out = discard();
    const std::string identifier = "com.quarvek.nestora.Category999";
    nestora::tool::removeCategoryFiles(out.get(), identifier);
    for (auto _ : state) {
        if (!nestora::tool::createCategory(out.get(), "Bench")) {
            state.SkipWithError("create failed");
            break;
        }
        state.PauseTiming();
        nestora::tool::removeCategoryFiles(out.get(), identifier);
        state.ResumeTiming();
    }
    nestora::tool::repairCategory(out.get(), identifier);
}
BENCHMARK(BM_Create999Taken)->Unit(benchmark::kMillisecond);

void BM_Create999TakenProgram(benchmark::State& state) {
    nestora::bench::largeDeviceRoot();
    Output out = discard();
    const std::string identifier = "com.quarvek.nestora.Category999";
    nestora::tool::removeCategoryFiles(out.get(), identifier);
    for (auto _ : state) {
        if (!runTool({"-c", "Bench"})) {
            state.SkipWithError("NestoraTool -c failed");
            break;
        }
        state.PauseTiming();
        nestora::tool::removeCategoryFiles(out.get(), identifier);
        state.ResumeTiming();
    }
    nestora::tool::repairCategory(out.get(), identifier);
}
BENCHMARK(BM_Create999TakenProgram)->Unit(benchmark::kMillisecond);

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
    Output out = discard();
    for (auto _ : state) {
        nestora::platform::DeviceAppServices services;
        const nestora::tool::ToolContext context{out.get(), &services};
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
    Output out = discard();
    const nestora::tool::ToolContext context{out.get(), &services};
    for (auto _ : state) nestora::tool::showCategory(context, "com.quarvek.nestora.Category998");
    if (before) nestora::files::writeFileAtomically(path, *before);
}
BENCHMARK(BM_Show500ItemsIndexBuilt)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
