#include "tests/home/HomeDevice.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <filesystem>

#include "common/CategoryNaming.h"
#include "platform/Plist.h"
#include "tests/support/RunProgram.h"

namespace nestora::test {

namespace fs = std::filesystem;

HomeDevice::HomeDevice() {
    makeFolder("/usr/lib");
    std::error_code error;
    fs::copy_file(NESTORA_TEST_HIDE_LIBRARY, host("/usr/lib/hide.dylib"), error);
    EXPECT_FALSE(error) << "cannot install the hide library: " << error.message();
    makeFolder("/Applications/Nestora.app/Launcher");
    fs::copy(NESTORA_TEST_SOURCE_DIR "/resources/launcher", host("/Applications/Nestora.app/Launcher"),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    EXPECT_FALSE(error) << "cannot install the launcher files: " << error.message();
}

void HomeDevice::addApp(const std::string& bundlePath, const std::string& identifier, const std::string& name) const {
    makeApp(bundlePath, identifier, name);
    writeFile(bundlePath + "/icon.png", pngOfColour(Qt::darkCyan));
}

void HomeDevice::addCategory(const std::string& directory, const std::string& displayName,
                             const std::vector<std::string>& items) const {
    const std::string identifier = std::string(kCategoryIdentifierPrefix) + directory;
    const std::string bundle = bundlePathForIdentifier(identifier);
    makeApp(bundle, identifier, displayName, "NestoraLauncher");
    for (const char* file : {"Default.png", "background.png"}) {
        writeFile(bundle + "/" + file, readFile(std::string("/Applications/Nestora.app/Launcher/") + file));
    }
    plist::Array array(items.begin(), items.end());
    plist::Dictionary domain;
    domain.emplace("items", plist::Value(std::move(array)));
    writeFile(prefsPathForIdentifier(identifier), plist::toXml(plist::Value(std::move(domain))));
}

std::string HomeDevice::runTool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv = {host("/Applications/Nestora.app/NestoraTool")};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const RunResult result = runProgram(argv);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return result.out;
}

std::vector<std::string> iconNames(const home::HomeScreen& home) {
    std::vector<std::string> names;
    for (const home::HomeIcon& icon : home.icons()) names.push_back(icon.name);
    return names;
}

std::string pngOfColour(Qt::GlobalColor colour, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

}  // namespace nestora::test
