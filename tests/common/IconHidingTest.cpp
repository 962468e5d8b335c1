#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "common/IconHiding.h"
#include "platform/DynamicLibrary.h"
#include "platform/Plist.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using test::TestDevice;

class FakeServices final : public platform::AppServices {
public:
    std::map<std::string, std::string, std::less<>> executables;
    std::optional<std::string> executablePathForDisplayIdentifier(std::string_view id) const override {
        auto it = executables.find(id);
        if (it == executables.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::string> localizedApplicationNameForDisplayIdentifier(std::string_view) const override {
        return std::nullopt;
    }
};

void installLibrary(const TestDevice& device, const char* builtFile) {
    device.makeFolder("/usr/lib");
    std::filesystem::copy_file(builtFile, device.host("/usr/lib/hide.dylib"),
                               std::filesystem::copy_options::overwrite_existing);
}

std::vector<std::string> hiddenPaths() {
    std::vector<std::string> paths;
    if (auto value = plist::readFile("/var/lib/nestora/hidden-icons.plist"); value && value->array()) {
        for (const auto& item : *value->array()) paths.push_back(*item.string());
    }
    return paths;
}

class CommonIconHiding : public ::testing::Test {
protected:
    void SetUp() override {
        services.executables["com.apple.mobilesafari"] = "/Applications/MobileSafari.app/MobileSafari";
        services.executables["com.example.chirp"] = "/var/mobile/Applications/C1/Chirp.app/Chirp";
        device.makeApp("/Applications/MobileSafari.app", "com.apple.mobilesafari", "Safari", "MobileSafari");
        device.makeApp("/var/mobile/Applications/C1/Chirp.app", "com.example.chirp", "Chirp", "Chirp");
    }
    TestDevice device;
    FakeServices services;
};

TEST_F(CommonIconHiding, InfoPlistPathIsTheExecutablesFolderPlusInfoPlist) {
    EXPECT_EQ(infoPlistPathForDisplayIdentifier(services, "com.apple.mobilesafari"),
              "/Applications/MobileSafari.app/Info.plist");
    EXPECT_FALSE(infoPlistPathForDisplayIdentifier(services, "com.example.unknown"));
}

TEST_F(CommonIconHiding, HidesAndShowsThroughTheStandInLibrary) {
    installLibrary(device, NESTORA_TEST_HIDE_LIBRARY);
    EXPECT_TRUE(setIconHidden(services, "com.apple.mobilesafari", true));
    EXPECT_TRUE(setIconHidden(services, "com.example.chirp", true));
    EXPECT_EQ(hiddenPaths(), (std::vector<std::string>{"/Applications/MobileSafari.app/Info.plist",
                                                       "/var/mobile/Applications/C1/Chirp.app/Info.plist"}));
    EXPECT_FALSE(setIconHidden(services, "com.apple.mobilesafari", true)) << "already hidden: nothing changed";
    EXPECT_TRUE(setIconHidden(services, "com.apple.mobilesafari", false));
    EXPECT_FALSE(setIconHidden(services, "com.apple.mobilesafari", false));
    EXPECT_EQ(hiddenPaths(), (std::vector<std::string>{"/var/mobile/Applications/C1/Chirp.app/Info.plist"}));
    // An unknown app has no path; the library is handed none and changes nothing.
    EXPECT_FALSE(setIconHidden(services, "com.example.unknown", true));
    EXPECT_FALSE(setIconHiddenForInfoPlistPath(std::nullopt, false));
}

TEST_F(CommonIconHiding, WithoutTheLibraryEveryCallIsAFalseNoOp) {
    EXPECT_FALSE(setIconHidden(services, "com.apple.mobilesafari", true));
    EXPECT_FALSE(setIconHidden(services, "com.apple.mobilesafari", false));
    EXPECT_FALSE(device.exists("/var/lib/nestora/hidden-icons.plist"));
}

TEST_F(CommonIconHiding, ALibraryWithoutTheEntryPointsIsAFalseNoOp) {
    installLibrary(device, NESTORA_TEST_NOHIDE_LIBRARY);
    EXPECT_FALSE(setIconHidden(services, "com.apple.mobilesafari", true));
    EXPECT_FALSE(setIconHidden(services, "com.apple.mobilesafari", false));
}

TEST_F(CommonIconHiding, APrivilegedLoadTrustsOnlyRootOwnedFilesOthersCannotWrite) {
    if (::geteuid() != 0) GTEST_SKIP() << "the ownership checks need root to set up";
    installLibrary(device, NESTORA_TEST_HIDE_LIBRARY);
    const std::string lib = device.host("/usr/lib/hide.dylib");
    const std::string folder = device.host("/usr/lib");
    ASSERT_EQ(::chmod(lib.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    EXPECT_TRUE(platform::DynamicLibrary::open(kHideLibraryPath, true));

    ASSERT_EQ(::chmod(lib.c_str(), 0666), 0);
    EXPECT_FALSE(platform::DynamicLibrary::open(kHideLibraryPath, true)) << "writable by others";
    EXPECT_TRUE(platform::DynamicLibrary::open(kHideLibraryPath, false));
    ASSERT_EQ(::chmod(lib.c_str(), 0644), 0);

    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    EXPECT_FALSE(platform::DynamicLibrary::open(kHideLibraryPath, true)) << "folder writable by others";
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);

    ASSERT_EQ(::chown(lib.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(platform::DynamicLibrary::open(kHideLibraryPath, true)) << "not owned by root";
    ASSERT_EQ(::chown(lib.c_str(), 0, 0), 0);

    // A link, even to a trusted file, is not loaded.
    ASSERT_EQ(::rename(lib.c_str(), (folder + "/real.dylib").c_str()), 0);
    ASSERT_EQ(::symlink("real.dylib", lib.c_str()), 0);
    EXPECT_FALSE(platform::DynamicLibrary::open(kHideLibraryPath, true));
}

}  // namespace
}  // namespace nestora
