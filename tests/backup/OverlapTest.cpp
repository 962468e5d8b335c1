// Runs that overlap, as a user meets them: owners each creating, renaming,
// re-iconing, showing and deleting categories of their own, while
// --repairall, nestora-backup save, --list and --show and a restore run
// beside them. Every operation of every run succeeds, and afterwards every
// category is whole, with nothing left under a hidden name.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Plist.h"
#include "tests/backup/BackupHarness.h"
#include "tests/support/CrashCensus.h"

namespace nestora::test {
namespace {

namespace fs = std::filesystem;

constexpr int kOwners = 6;
constexpr int kRounds = 5;
constexpr const char* kBackupFile = "/var/mobile/Media/overlap.plist";

// What the runs found wrong, from any thread.
class Findings {
public:
    void add(const std::string& what) {
        const std::lock_guard<std::mutex> guard(mutex_);
        problems_.push_back(what);
    }
    // Checks one run: its status and what it printed.
    void expect(const std::string& what, const RunResult& run, const std::string& out = "") {
        const std::lock_guard<std::mutex> guard(mutex_);
        ++runs_;
        if (run.exitStatus != 0 || run.out != out) {
            problems_.push_back(what + ": exit " + std::to_string(run.exitStatus) + ", printed \"" + run.out +
                                run.err + "\"");
        }
    }
    std::vector<std::string> problems() const { return problems_; }
    int runs() const { return runs_; }

private:
    std::mutex mutex_;
    std::vector<std::string> problems_;
    int runs_ = 0;
};

// The directory name --list gives for a display name, or "".
std::string directoryNameOf(const std::string& listing, const std::string& displayName) {
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() < 18 || line.compare(0, displayName.size(), displayName) != 0 ||
            line.find_first_not_of(' ', displayName.size()) != 18) {
            continue;
        }
        const auto start = line.find("/Applications/", 18);
        const auto end = line.find(".app", start);
        if (start != std::string::npos && end != std::string::npos) return line.substr(start + 14, end - start - 14);
    }
    return "";
}

void owner(const BackupDevice& device, int number, Findings& findings) {
    const std::string icon = "/var/mobile/Media/owner" + std::to_string(number) + ".png";
    device.writeFile(icon, pngImage("owner " + std::to_string(number)));
    for (int round = 0; round < kRounds; ++round) {
        const std::string name = "Owner" + std::to_string(number) + " round" + std::to_string(round);
        findings.expect(name + ": --create", device.tool({"--create", name}));
        const RunResult listing = device.tool({"--list"});
        const std::string made = directoryNameOf(listing.out, name);
        if (made.empty()) {
            findings.add(name + ": not listed after its create");
            continue;
        }
        findings.expect(name + ": --name", device.tool({"--name", name + "!", made}));
        findings.expect(name + ": --icon", device.tool({"--icon", icon, made}));
        findings.expect(name + ": --show", device.tool({"--show", made}), "Category is empty.\n");
        if (directoryNameOf(device.tool({"--list"}).out, name + "!") != made) {
            findings.add(name + ": not listed under its new name");
        }
        findings.expect(name + ": --delete", device.tool({"--delete", made}));
        if (device.exists("/Applications/" + made + ".app") &&
            directoryNameOf(device.tool({"--list"}).out, name + "!") == made) {
            findings.add(name + ": still there after its delete");
        }
    }
}

// Runs `run` again and again until the owners are done.
void beside(const std::atomic<bool>& ownersDone, const std::function<void()>& run) {
    while (!ownersDone) run();
}

// A whole category: the launcher files, an Info.plist naming it, its
// preferences file.
void expectWhole(const BackupDevice& device, const std::string& name) {
    const std::string bundle = "/Applications/" + name + ".app";
    for (const char* file : {"NestoraLauncher", "blank.png", "Default.png", "background.png", "MainWindow.nib"}) {
        EXPECT_TRUE(device.exists(bundle + "/" + file)) << bundle << " lacks " << file;
    }
    const auto info = plist::readFile(bundle + "/Info.plist");
    EXPECT_TRUE(info && info->stringForKey("CFBundleIdentifier") == "com.quarvek.nestora." + name) << bundle;
    EXPECT_TRUE(device.exists(std::string(kPreferencesFolder) + "/com.quarvek.nestora." + name + ".plist")) << name;
}

TEST(Overlap, NoRunFailsBecauseAnotherRunsBesideItAndEveryCategoryEndsWhole) {
    const TemporaryFilesInMemory inMemory;
    const BackupDevice device;
    // Two categories the device then loses: a restore beside the others
    // makes them again.
    device.makeCategory("Kept", {"com.example.tanks"}, {}, pngImage("kept"));
    device.makeCategory("Also kept", {});
    ASSERT_EQ(device.backup({"save", kBackupFile}).exitStatus, 0);
    device.deleteEveryCategory();

    Findings findings;
    std::atomic<bool> ownersDone{false};
    std::vector<std::thread> besides;
    besides.emplace_back([&] {
        beside(ownersDone, [&] { findings.expect("--repairall", device.tool({"--repairall"})); });
    });
    besides.emplace_back([&] {
        beside(ownersDone, [&] {
            const RunResult save = device.backup({"save", "/var/mobile/Media/beside.plist"});
            findings.expect("save", {save.exitStatus, "", ""});
        });
    });
    besides.emplace_back([&] {
        beside(ownersDone, [&] {
            const RunResult list = device.tool({"--list"});
            findings.expect("--list", {list.exitStatus, list.out.find("ERROR") == std::string::npos ? "" : list.out, ""});
            const RunResult show = device.tool({"--show", "Category000"});
            findings.expect("--show", {show.exitStatus, show.out.find("ERROR: Category does not exist") == 0 ||
                                                            show.out.find("ERROR") == std::string::npos
                                                        ? ""
                                                        : show.out,
                                       ""});
        });
    });
    besides.emplace_back([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const RunResult restore = device.backup({"restore", kBackupFile});
        findings.expect("restore", {restore.exitStatus, lineWith(restore.out, "restored"), ""},
                        "2 categories restored, 0 already present, 0 skipped, 0 failed.");
    });
    std::vector<std::thread> owners;
    for (int number = 0; number < kOwners; ++number) {
        owners.emplace_back([&, number] { owner(device, number, findings); });
    }
    for (std::thread& thread : owners) thread.join();
    ownersDone = true;
    for (std::thread& thread : besides) thread.join();

    std::cout << "overlapping runs: " << findings.runs() << " checked, " << findings.problems().size() << " failed\n";
    for (const std::string& problem : findings.problems()) ADD_FAILURE() << problem;
    // The restored two, whole, and nothing else: every owner deleted its own.
    EXPECT_EQ(device.categoryNames().size(), 2u);
    for (const std::string& name : device.categoryNames()) expectWhole(device, name);
    for (const auto& entry : fs::directory_iterator(device.host("/Applications"))) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".Category")) << entry.path() << " is left over";
    }
}

}  // namespace
}  // namespace nestora::test
