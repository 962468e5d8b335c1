// The settings screens' I/O.
//
// Theme listing: a theme folder of 2,000 entries, each with its "Icons"
// folder, listed by discoverThemes() against the floor of the same work in
// raw system calls (readdir of the folder and one fstatat per entry), so the
// figure reads as a ratio from one run.
//
// Opening a settings screen and toggling one switch: the files each writes
// and opens in the preferences folder, counted with inotify, and the time
// each takes.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "platform/Preferences.h"
#include "screens/settings/PrefsViewController.h"
#include "screens/settings/SettingsCell.h"
#include "screens/settings/ThemeList.h"
#include "ui/NavigationController.h"
#include "ui/QtOwnership.h"
#include "ui/SystemFont.h"

namespace {

namespace fs = std::filesystem;

constexpr int kThemeEntries = 2000;
constexpr char kIdentifier[] = "com.quarvek.nestora.Category000";

// A device root with the theme folder and one category, made once.
const std::string& deviceRoot() {
    static const std::string root = [] {
        std::string dir = (fs::temp_directory_path() / "nestora-settings-XXXXXX").string();
        if (::mkdtemp(dir.data()) == nullptr) std::abort();
        for (int i = 0; i < kThemeEntries; ++i) {
            fs::create_directories(dir + "/Library/Themes/Theme" + std::to_string(i) + ".theme/Icons");
        }
        fs::create_directories(dir + "/var/mobile/Library/Preferences");
        std::FILE* prefs = std::fopen((dir + "/var/mobile/Library/Preferences/" + kIdentifier + ".plist").c_str(), "w");
        std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>items</key>"
                   "<array><string>com.example.a</string></array></dict></plist>\n", prefs);
        std::fclose(prefs);
        ::setenv("NESTORA_DEVICE_ROOT", dir.c_str(), 1);
        return dir;
    }();
    return root;
}

// The least any listing can do: read the folder and test each entry once.
std::size_t rawThemeListing(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    std::size_t found = 0;
    struct stat st {};
    std::string path;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        path.assign(entry->d_name).append("/Icons");
        if (::fstatat(::dirfd(dir), path.c_str(), &st, 0) == 0) ++found;
    }
    ::closedir(dir);
    return found;
}

void BM_ThemeListingFloor(benchmark::State& state) {
    const std::string folder = deviceRoot() + "/Library/Themes";
    for (auto _ : state) benchmark::DoNotOptimize(rawThemeListing(folder));
}

void BM_DiscoverThemes(benchmark::State& state) {
    deviceRoot();
    std::size_t count = 0;
    for (auto _ : state) count = nestora::screens::discoverThemes().size();
    state.counters["themes"] = static_cast<double>(count);
}

// Counts what happens to files in the preferences folder. Closes are
// watched too, only so that successive opens are not merged into one event.
class FolderWatch {
public:
    FolderWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        ::inotify_add_watch(fd_, (deviceRoot() + "/var/mobile/Library/Preferences").c_str(),
                            IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_MOVED_TO);
    }
    ~FolderWatch() { ::close(fd_); }
    // Files replaced or written in place, and opens, since the last call.
    std::pair<int, int> take() {
        int written = 0;
        int opened = 0;
        alignas(inotify_event) char buffer[16 * 1024];
        ssize_t got = 0;
        while ((got = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (char* p = buffer; p < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                const std::string name = event->len > 0 ? event->name : "";
                const bool target = name == std::string(kIdentifier) + ".plist";
                if ((event->mask & IN_MOVED_TO) && target) ++written;
                if ((event->mask & IN_CLOSE_WRITE) && target) ++written;
                if ((event->mask & IN_OPEN) && target) ++opened;
                p += sizeof(inotify_event) + event->len;
            }
        }
        return {written, opened};
    }

private:
    int fd_;
};

// A window with a screen stack showing the category's settings.
struct SettingsWindow {
    explicit SettingsWindow(nestora::platform::Preferences& preferences) {
        window.resize(320, 480);
        nav = nestora::ui::makeChild<nestora::ui::NavigationController>(
            &window, std::make_unique<nestora::ui::ViewController>());
        nav->setGeometry(0, 12, 320, 413);
        window.show();
        nav->showTop();
        nav->pushViewController(std::make_unique<nestora::screens::PrefsViewController>(preferences, kIdentifier));
    }
    nestora::screens::PrefsViewController& screen() const {
        return *static_cast<nestora::screens::PrefsViewController*>(nav->topViewController());
    }
    QWidget window;
    nestora::ui::NavigationController* nav = nullptr;
};

// Times `step` once per iteration and reports, per iteration, the files it
// wrote and how often it opened the preferences file.
template <typename Step>
void countFileWork(benchmark::State& state, Step step) {
    FolderWatch watch;
    int written = 0;
    int opened = 0;
    for (auto _ : state) {
        step();
        state.PauseTiming();
        const auto [w, o] = watch.take();
        written += w;
        opened += o;
        state.ResumeTiming();
    }
    state.counters["files_written"] = benchmark::Counter(written, benchmark::Counter::kAvgIterations);
    state.counters["prefs_file_opens"] = benchmark::Counter(opened, benchmark::Counter::kAvgIterations);
}

void BM_OpenSettingsScreen(benchmark::State& state) {
    deviceRoot();
    nestora::platform::Preferences preferences;
    countFileWork(state, [&] {
        SettingsWindow shown(preferences);
        benchmark::DoNotOptimize(shown.screen().tableView().rowCount());
    });
}

void BM_ToggleSwitch(benchmark::State& state) {
    deviceRoot();
    nestora::platform::Preferences preferences;
    SettingsWindow shown(preferences);
    auto* cell = dynamic_cast<nestora::screens::SettingsCell*>(
        shown.screen().tableView().cellForRow(nestora::screens::PrefsViewController::kKeepResidentRow));
    if (cell == nullptr) {
        state.SkipWithError("the switch row is not in view");
        return;
    }
    countFileWork(state, [&] { shown.screen().buttonToggled(cell->control()); });
}

// Keeps each benchmark's time per iteration, for the ratio printed at the end.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            times[run.benchmark_name()] = run.GetAdjustedRealTime();  // all in microseconds
        }
    }
    std::map<std::string, double> times;
};

}  // namespace

BENCHMARK(BM_ThemeListingFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DiscoverThemes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenSettingsScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ToggleSwitch)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    nestora::ui::loadSystemFont();
    benchmark::Initialize(&argc, argv);
    deviceRoot();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto& s = reporter.times;
    if (s.contains("BM_ThemeListingFloor") && s.contains("BM_DiscoverThemes")) {
        std::printf("theme listing of %d entries: %.2fx the floor (goal: within 3x)\n", kThemeEntries,
                    s.at("BM_DiscoverThemes") / s.at("BM_ThemeListingFloor"));
    }
    std::error_code ignored;
    fs::remove_all(deviceRoot(), ignored);
    benchmark::Shutdown();
    return 0;
}
