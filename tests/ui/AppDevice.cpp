#include "tests/ui/AppDevice.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <filesystem>

#include "tests/support/PythonPlist.h"

namespace nestora::test {

namespace fs = std::filesystem;

std::string builtToolPath() {
#ifdef NESTORA_TOOL_EXECUTABLE
    return NESTORA_TOOL_EXECUTABLE;
#else
    return {};
#endif
}

AppDevice::AppDevice(const AppDeviceOptions& options) {
    if (options.sampleApps) {
        makeSampleDevice();
    }
    makeFolder("/Applications/Nestora.app");
    makeFolder("/var/mobile/Library/Preferences");
    makeFolder("/var/run");  // where the notifications stand-in logs its posts
    std::error_code error;
    fs::copy(NESTORA_APP_IMAGES_DIR, host("/Applications/Nestora.app"),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    EXPECT_FALSE(error) << "cannot install the images: " << error.message();
    if (options.installTool && !builtToolPath().empty()) {
        const std::string tool = host("/Applications/Nestora.app/NestoraTool");
        fs::copy_file(builtToolPath(), tool, fs::copy_options::overwrite_existing, error);
        EXPECT_FALSE(error) << "cannot install the tool: " << error.message();
        ::chmod(tool.c_str(), options.toolMode);
    }
    if (!options.model.empty()) {
        writeProfile(options.model, options.freeMemoryBytes);
    } else {
        std::error_code ignored;
        fs::remove(host("/etc/nestora/DeviceProfile.plist"), ignored);
    }
}

namespace {

std::string xmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

const char* const kPlistHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";

}  // namespace

void AppDevice::writeProfile(const std::string& model, std::optional<std::uint64_t> freeMemoryBytes) const {
    std::string plist = std::string(kPlistHead) + "<dict>\n<key>Model</key><string>" + xmlText(model) + "</string>\n";
    if (freeMemoryBytes) {
        plist += "<key>FreeMemoryBytes</key><integer>" + std::to_string(*freeMemoryBytes) + "</integer>\n";
    }
    plist += "</dict>\n</plist>\n";
    writeFile("/etc/nestora/DeviceProfile.plist", plist);
}

void AppDevice::makeCategory(const std::string& directory, const std::string& displayName,
                             std::optional<std::vector<std::string>> items) const {
    const std::string bundle = "/Applications/" + directory + ".app";
    writeFile(bundle + "/Info.plist",
              std::string(kPlistHead) + "<dict>\n<key>CFBundleDisplayName</key><string>" + xmlText(displayName) +
                  "</string>\n<key>CFBundleIdentifier</key><string>com.quarvek.nestora." + directory +
                  "</string>\n</dict>\n</plist>\n");
    std::error_code error;
    fs::copy_file(host("/Applications/Nestora.app/icons/Games.png"), host(bundle + "/icon.png"),
                  fs::copy_options::overwrite_existing, error);
    std::string prefs = std::string(kPlistHead) + "<dict>\n";
    if (items) {
        prefs += "<key>items</key><array>\n";
        for (const std::string& item : *items) {
            prefs += "<string>" + xmlText(item) + "</string>\n";
        }
        prefs += "</array>\n";
    }
    prefs += "</dict>\n</plist>\n";
    writeFile("/var/mobile/Library/Preferences/com.quarvek.nestora." + directory + ".plist", prefs);
}

namespace {

// A top-level key of a property-list dictionary file as plistlib reads it.
QJsonValue plistlibValue(const std::string& hostPath, const char* key) {
    const auto json = plistlibJson(hostPath);
    if (!json) {
        return QJsonValue(QJsonValue::Undefined);
    }
    return QJsonDocument::fromJson(QByteArray::fromStdString(*json)).object().value(QLatin1String(key));
}

}  // namespace

std::optional<bool> AppDevice::persistedNeedRespring() const {
    const QJsonValue value =
        plistlibValue(host("/var/mobile/Library/Preferences/com.quarvek.nestora.plist"), "needRespring");
    if (!value.isBool()) {
        return std::nullopt;
    }
    return value.toBool();
}

void AppDevice::setPersistedNeedRespring(bool value) const {
    writeFile("/var/mobile/Library/Preferences/com.quarvek.nestora.plist",
              std::string(kPlistHead) + "<dict>\n<key>needRespring</key>" + (value ? "<true/>" : "<false/>") +
                  "\n</dict>\n</plist>\n");
}

std::optional<std::string> AppDevice::storedDisplayName(const std::string& directory) const {
    const QJsonValue value = plistlibValue(host("/Applications/" + directory + ".app/Info.plist"), "CFBundleDisplayName");
    if (!value.isString()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

}  // namespace nestora::test
