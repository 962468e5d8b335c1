// nestora-backup on the large device (1,000 categories of 10 items, 2,000
// apps), each category given a 4 KB icon here:
//   - save against its I/O floor: reading the files a save has to read (the
//     Info.plist of every bundle in /Applications, to find the categories;
//     each category's icon and preferences file), in the same run;
//   - save split into collecting and writing (the write is flushed to disk);
//   - restore of all 1,000 onto the device emptied of them, the whole
//     program from its start to its exit, with the stand-in hide library and
//     without one (hiding then costs nothing), to tell the restore's own
//     share from the stand-in's; against its floor: writing the files a
//     restore writes (every bundle's launcher files, Info.plist and icon,
//     every preferences file) and flushing them once, in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "LargeDevice.h"
#include "QuietRun.h"
#include "backup/BackupSave.h"
#include "common/CategoryNaming.h"
#include "platform/Files.h"
#include "platform/Plist.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kSavedBackup = "/var/mobile/Media/bench-backup.plist";
constexpr const char* kFloorOutput = "/var/mobile/Media/bench-floor.plist";

std::string categoryName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "Category%03d", number);
    return name;
}

// The large device with icons in its categories, the built tool in the app
// bundle and a backup of it saved.
const std::string& deviceWithIcons() {
    static const std::string root = [] {
        const std::string device = nestora::bench::largeDeviceRoot();
        const std::string icon = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(4096 - 8, 'i');
        for (int n = 0; n < 1000; ++n) {
            const std::string path = "/Applications/" + categoryName(n) + ".app/icon.png";
            if (!nestora::files::exists(path)) nestora::files::writeFileAtomically(path, icon);
        }
        const std::string tool = device + "/Applications/Nestora.app/NestoraTool";
        std::error_code ignored;
        fs::remove(tool, ignored);
        fs::create_symlink(NESTORA_BINARY_DIR "/tool/NestoraTool", tool);
        fs::create_directories(device + "/var/mobile/Media");
        return device;
    }();
    return root;
}

bool runBackup(const std::vector<std::string>& arguments) {
    std::vector<std::string> args{NESTORA_BINARY_DIR "/backup/nestora-backup"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return nestora::bench::runQuietly(std::move(args));
}

std::size_t readSaveFloor() {
    std::size_t bytes = 0;
    for (const auto& name : nestora::files::listFolder("/Applications").value_or(std::vector<std::string>{})) {
        if (!name.ends_with(".app")) continue;
        const std::string bundle = "/Applications/" + name;
        bytes += nestora::files::readFile(bundle + "/Info.plist").value_or("").size();
        if (name.starts_with("Category")) bytes += nestora::files::readFile(bundle + "/icon.png").value_or("").size();
    }
    for (const auto& name :
         nestora::files::listFolder(nestora::kCategoryPreferencesFolder).value_or(std::vector<std::string>{})) {
        if (name.starts_with(nestora::kCategoryIdentifierPrefix)) {
            bytes += nestora::files::readFile(std::string(nestora::kCategoryPreferencesFolder) + "/" + name)
                         .value_or("")
                         .size();
        }
    }
    return bytes;
}

void BM_SaveIoFloor(benchmark::State& state) {
    deviceWithIcons();
    std::size_t bytes = 0;
    for (auto _ : state) benchmark::DoNotOptimize(bytes = readSaveFloor());
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SaveIoFloor)->Unit(benchmark::kMillisecond);

// The same floor as a whole program that also writes a file as large as
// the save's and flushes it as the save does.
void BM_SaveFloorProgram(benchmark::State& state) {
    const std::string& root = deviceWithIcons();
    if (!nestora::files::exists(kSavedBackup) && !runBackup({"save", kSavedBackup})) {
        state.SkipWithError("nestora-backup save failed");
        return;
    }
    const std::string bytes = std::to_string(fs::file_size(root + kSavedBackup));
    for (auto _ : state) {
        if (!nestora::bench::runQuietly({NESTORA_BINARY_DIR "/bench/nestora_bench_floor", "save", kFloorOutput, bytes})) {
            state.SkipWithError("the floor failed");
            break;
        }
    }
    std::error_code ignored;
    fs::remove(root + kFloorOutput, ignored);
}
BENCHMARK(BM_SaveFloorProgram)->Unit(benchmark::kMillisecond);

void BM_SaveCollect(benchmark::State& state) {
    deviceWithIcons();
    std::vector<std::string> problems;
    for (auto _ : state) {
        const auto backup = nestora::backup::collectBackup(nestora::backup::Clock::now(), problems);
        benchmark::DoNotOptimize(nestora::backup::encodeBackup(backup).size());
    }
}
BENCHMARK(BM_SaveCollect)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
    deviceWithIcons();
    std::vector<std::string> problems;
    for (auto _ : state) {
        const auto backup = nestora::backup::collectBackup(nestora::backup::Clock::now(), problems);
        if (!nestora::backup::writeBackupFile(kSavedBackup, backup)) {
            state.SkipWithError("save failed");
            break;
        }
    }
    state.counters["file bytes"] = static_cast<double>(nestora::files::readFile(kSavedBackup).value_or("").size());
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_SaveProgram(benchmark::State& state) {
    deviceWithIcons();
    for (auto _ : state) {
        if (!runBackup({"save", kSavedBackup})) {
            state.SkipWithError("nestora-backup save failed");
            break;
        }
    }
}
BENCHMARK(BM_SaveProgram)->Unit(benchmark::kMillisecond);

// Takes every category off the device the quick way (this is set-up, not
// what is measured), leaving the apps hidden set empty.
void emptyDevice(const std::string& root) {
    for (int n = 0; n < 1000; ++n) {
        const std::string identifier = std::string(nestora::kCategoryIdentifierPrefix) + categoryName(n);
        fs::remove_all(root + nestora::bundlePathForIdentifier(identifier));
        fs::remove(root + nestora::prefsPathForIdentifier(identifier));
    }
    std::error_code ignored;
    fs::remove(root + "/var/lib/nestora/hidden-icons.plist", ignored);
    fs::remove(root + "/var/mobile/Library/Nestora/RestoreJournal.plist", ignored);
}

// Restores all 1,000 categories onto the emptied device; the device is put
// back as it was afterwards. `withHideLibrary`: the stand-in is installed.
void restoreAll(benchmark::State& state, bool withHideLibrary) {
    const std::string& root = deviceWithIcons();
    if (!nestora::files::exists(kSavedBackup) && !runBackup({"save", kSavedBackup})) {
        state.SkipWithError("nestora-backup save failed");
        return;
    }
    const std::string hide = root + "/usr/lib/hide.dylib";
    fs::create_directories(root + "/usr/lib");
    std::error_code ignored;
    fs::remove(hide, ignored);
    if (withHideLibrary) fs::create_symlink(NESTORA_BINARY_DIR "/hide/hide.dylib", hide);
    for (auto _ : state) {
        state.PauseTiming();
        emptyDevice(root);
        // What emptying left to write reaches the disk before the clock
        // runs: the restore's flush must not pay for it.
        ::sync();
        state.ResumeTiming();
        if (!runBackup({"restore", kSavedBackup})) {
            state.SkipWithError("nestora-backup restore failed");
            break;
        }
    }
    fs::remove(hide, ignored);
}

// The floor of a restore: the same files written in a scratch folder of
// the device, one flush of the file system, then removed (not timed).
void BM_RestoreFloor(benchmark::State& state) {
    const std::string& root = deviceWithIcons();
    const std::string scratch = root + "/var/restore-floor";
    const std::string launcher = root + "/Applications/Nestora.app/Launcher";
    std::vector<std::pair<std::string, std::string>> launcherFiles;
    for (const char* name : {"NestoraLauncher", "blank.png", "Default.png", "background.png", "MainWindow.nib"}) {
        launcherFiles.emplace_back(name, nestora::files::readFile(std::string("/Applications/Nestora.app/Launcher/") + name)
                                             .value_or(""));
    }
    const std::string icon = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(4096 - 8, 'i');
    const std::string info = nestora::files::readFile("/Applications/Category000.app/Info.plist").value_or("");
    const std::string prefs =
        nestora::files::readFile(nestora::prefsPathForIdentifier("com.quarvek.nestora.Category000")).value_or("");
    const auto write = [](const std::string& path, const std::string& bytes) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) return false;
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        return std::fclose(file) == 0 && ok;
    };
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(scratch);
        fs::create_directories(scratch + "/prefs");
        state.ResumeTiming();
        for (int n = 0; n < 1000; ++n) {
            const std::string bundle = scratch + "/" + categoryName(n) + ".app";
            fs::create_directory(bundle);
            for (const auto& [name, bytes] : launcherFiles) write(bundle + "/" + name, bytes);
            write(bundle + "/Info.plist", info);
            write(bundle + "/icon.png", icon);
            write(scratch + "/prefs/" + categoryName(n) + ".plist", prefs);
        }
        const int folder = ::open(scratch.c_str(), O_RDONLY | O_DIRECTORY);
        ::syncfs(folder);
        ::close(folder);
    }
    fs::remove_all(scratch);
}
BENCHMARK(BM_RestoreFloor)->Unit(benchmark::kSecond)->Iterations(1);

// The same floor as a whole program, which also reads the backup.
void BM_RestoreFloorProgram(benchmark::State& state) {
    const std::string& root = deviceWithIcons();
    if (!nestora::files::exists(kSavedBackup) && !runBackup({"save", kSavedBackup})) {
        state.SkipWithError("nestora-backup save failed");
        return;
    }
    const std::string scratch = "/var/restore-floor";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(root + scratch);
        fs::create_directories(root + scratch);
        ::sync();  // as for the restore
        state.ResumeTiming();
        if (!nestora::bench::runQuietly({NESTORA_BINARY_DIR "/bench/nestora_bench_floor", "restore", kSavedBackup, scratch})) {
            state.SkipWithError("the floor failed");
            break;
        }
    }
    fs::remove_all(root + scratch);
}
BENCHMARK(BM_RestoreFloorProgram)->Unit(benchmark::kSecond)->Iterations(1);

void BM_RestoreAll(benchmark::State& state) { restoreAll(state, true); }
BENCHMARK(BM_RestoreAll)->Unit(benchmark::kSecond)->Iterations(1);

void BM_RestoreAllWithoutHideLibrary(benchmark::State& state) { restoreAll(state, false); }
BENCHMARK(BM_RestoreAllWithoutHideLibrary)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
