// The automatic backup at an orderly exit: the app runs the installed
// nestora-backup, which saves only when the categories changed.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/Nestora.h"
#include "tests/app/AppTestSupport.h"

namespace nestora::app {
namespace {

namespace fs = std::filesystem;

std::size_t backupsIn(const test::AppDevice& device) {
    std::error_code error;
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(device.host("/var/mobile/Library/Nestora/Backups"), error)) {
        count += entry.path().filename().string().starts_with("Backup-") ? 1 : 0;
    }
    return count;
}

void runSession() {
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    test::settle();
    nestora.applicationWillTerminate();
}

TEST(AppAutosave, AnOrderlyExitSavesTheCategoriesOnlyWhenTheyChanged) {
    test::AppDevice device;
    fs::copy_file(NESTORA_BACKUP_EXECUTABLE, device.host("/Applications/Nestora.app/nestora-backup"));
    device.makeCategory("Category000", "Games", std::vector<std::string>{"com.apple.mobilemail"});

    runSession();
    EXPECT_EQ(backupsIn(device), 1u);
    runSession();
    EXPECT_EQ(backupsIn(device), 1u) << "nothing changed in that session";
    device.makeCategory("Category001", "Social");
    runSession();
    EXPECT_EQ(backupsIn(device), 2u);
}

}  // namespace
}  // namespace nestora::app
