#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/RunProgram.h"

namespace nestora::test {

namespace fs = std::filesystem;

TestDevice::TestDevice() {
    std::string pattern = (fs::temp_directory_path() / "nestora-device-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary device root";
    }
    // The temporary folder is 0700; programs run as another user must reach it.
    ::chmod(pattern.c_str(), 0755);
    root_ = pattern;
    if (const char* previous = std::getenv("NESTORA_DEVICE_ROOT")) {
        hadPreviousRoot_ = true;
        previousRoot_ = previous;
    }
    ::setenv("NESTORA_DEVICE_ROOT", root_.c_str(), 1);
}

TestDevice::~TestDevice() {
    if (hadPreviousRoot_) {
        ::setenv("NESTORA_DEVICE_ROOT", previousRoot_.c_str(), 1);
    } else {
        ::unsetenv("NESTORA_DEVICE_ROOT");
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string TestDevice::host(std::string_view devicePath) const { return root_ + std::string(devicePath); }

void TestDevice::makeFolder(std::string_view devicePath) const {
    std::error_code error;
    fs::create_directories(host(devicePath), error);
    ASSERT_FALSE(error) << error.message();
}

void TestDevice::writeFile(std::string_view devicePath, std::string_view bytes) const {
    const fs::path path = host(devicePath);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string TestDevice::readFile(std::string_view devicePath) const {
    std::ifstream in(host(devicePath), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool TestDevice::exists(std::string_view devicePath) const {
    struct stat st {};
    return ::lstat(host(devicePath).c_str(), &st) == 0;
}

namespace {

std::string xmlEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

void TestDevice::makeApp(std::string_view bundlePath, std::string_view identifier, std::string_view displayName,
                         std::string_view executable) const {
    std::string plist =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
        "\t<key>CFBundleIdentifier</key>\n\t<string>" + xmlEscape(identifier) + "</string>\n"
        "\t<key>CFBundleExecutable</key>\n\t<string>" + xmlEscape(executable) + "</string>\n";
    if (!displayName.empty()) {
        plist += "\t<key>CFBundleDisplayName</key>\n\t<string>" + xmlEscape(displayName) + "</string>\n";
    }
    plist += "</dict>\n</plist>\n";
    writeFile(std::string(bundlePath) + "/Info.plist", plist);
    writeFile(std::string(bundlePath) + "/" + std::string(executable), "#!/bin/sh\n");
}

void TestDevice::makeSampleDevice() const {
    const std::string script = std::string(NESTORA_TEST_SOURCE_DIR) + "/scripts/make-device";
    RunResult result = runProgram({script, root_});
    ASSERT_EQ(result.exitStatus, 0) << result.out << result.err;
}

}  // namespace nestora::test
