#include "tests/backup/BackupHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "common/IconHiding.h"
#include "platform/Files.h"
#include "hide/HiddenIcons.h"
#include "platform/Plist.h"
#include "platform/AppServices.h"
#include "tests/support/PythonPlist.h"

namespace nestora::test {

namespace {

namespace fs = std::filesystem;

// Reads the device the way an outside judge would: plistlib for every
// property list, the icon and launcher files by their bytes.
const std::string kStateScript = std::string(kPlistToJsonPython) + R"PY(
import hashlib, os
root = sys.argv[1]
def path(p): return os.path.join(root, p.lstrip("/"))
def load(p):
    try:
        with open(p, "rb") as f:
            data = f.read()
    except OSError:
        return "missing"
    return conv(plistlib.loads(data)) if data else {}
def digest(p):
    try:
        with open(p, "rb") as f:
            return hashlib.sha256(f.read()).hexdigest()
    except OSError:
        return None
prefix = "com.quarvek.nestora."
categories = {}
for entry in sorted(os.listdir(path("/Applications"))):
    info = load(path("/Applications/%s/Info.plist" % entry))
    if entry.endswith(".app") and isinstance(info, dict) and str(info.get("CFBundleIdentifier", "")).startswith(prefix):
        bundle = path("/Applications/" + entry)
        categories.setdefault(entry[:-4], {})["bundle"] = {
            "info": info, "icon": digest(os.path.join(bundle, "icon.png")),
            "launcher": {f: digest(os.path.join(bundle, f)) for f in
                         ("NestoraLauncher", "blank.png", "Default.png", "background.png", "MainWindow.nib")}}
prefs = path("/var/mobile/Library/Preferences")
for entry in sorted(os.listdir(prefs)):
    if entry.startswith(prefix) and entry.endswith(".plist"):
        categories.setdefault(entry[len(prefix):-6], {})["preferences"] = load(os.path.join(prefs, entry))
hidden = load(path("/var/lib/nestora/hidden-icons.plist"))
state = {"categories": categories, "hidden": sorted(hidden) if isinstance(hidden, list) else []}
sys.stdout.write(json.dumps(state, sort_keys=True, ensure_ascii=False, indent=1))
)PY";

// A link to the built program: copies of a device stay small.
void install(const TestDevice& device, const std::string& built, std::string_view devicePath) {
    device.makeFolder(fs::path(devicePath).parent_path().string());
    fs::create_symlink(fs::absolute(built), device.host(devicePath));
}

// Laying out the sample device runs Python; it is done once and copied. The
// path is never destroyed, so the exit handler that removes the folder can
// still read it.
const std::string& sampleDeviceTemplate() {
    static const std::string* const root = [] {
        TestDevice maker;
        maker.makeSampleDevice();
        install(maker, NESTORA_TOOL_PATH, kInstalledTool);
        install(maker, NESTORA_BACKUP_PATH, kInstalledBackup);
        install(maker, NESTORA_HIDE_LIBRARY, "/usr/lib/hide.dylib");
        const auto* kept = new std::string(maker.root() + "-template");
        fs::rename(maker.root(), *kept);
        std::atexit([] { fs::remove_all(sampleDeviceTemplate()); });
        return kept;
    }();
    return *root;
}

void describeValue(const plist::Value& value, std::string& out) {
    switch (value.type()) {
        case plist::Type::Boolean: out += *value.boolean() ? "true" : "false"; break;
        case plist::Type::Integer: out += std::to_string(*value.integer()); break;
        case plist::Type::Real: out += std::to_string(*value.real()) + "r"; break;
        case plist::Type::String: out += "\"" + *value.string() + "\""; break;
        case plist::Type::Data: out += "<" + std::to_string(value.data()->size()) + " bytes " +
                                       std::to_string(std::hash<std::string>{}(std::string(value.data()->begin(), value.data()->end()))) + ">"; break;
        case plist::Type::Date: out += "@" + std::to_string(value.date()->secondsSinceReferenceDate); break;
        case plist::Type::Array:
            out += "[";
            for (const plist::Value& item : *value.array()) {
                describeValue(item, out);
                out += ", ";
            }
            out += "]";
            break;
        case plist::Type::Dictionary:
            out += "{";
            for (const auto& [key, item] : *value.dictionary()) {
                out += key + ": ";
                describeValue(item, out);
                out += ", ";
            }
            out += "}";
            break;
    }
}

}  // namespace

BackupDevice::BackupDevice() : BackupDevice(sampleDeviceTemplate()) {}

BackupDevice::BackupDevice(const std::string& copyOfRoot) {
    fs::copy(copyOfRoot, root(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

RunResult BackupDevice::tool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv{host(kInstalledTool)};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv);
}

RunResult BackupDevice::backup(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv{host(kInstalledBackup)};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv);
}

std::string BackupDevice::makeCategory(const std::string& displayName, const std::vector<std::string>& items,
                                       const plist::Dictionary& settings, const std::string& icon) const {
    const std::vector<std::string> before = categoryNames();
    EXPECT_EQ(tool({"-c", displayName}).out, "");
    std::string made;
    for (const std::string& name : categoryNames()) {
        if (std::find(before.begin(), before.end(), name) == before.end()) made = name;
    }
    EXPECT_FALSE(made.empty()) << "the tool made no category";
    if (!icon.empty()) {
        writeFile("/var/mobile/Media/icon-to-use.png", icon);
        EXPECT_EQ(tool({made, "-i", "/var/mobile/Media/icon-to-use.png"}).out, "");
    }
    plist::Array list(items.begin(), items.end());
    plist::Dictionary domain = settings;
    domain["items"] = plist::Value(std::move(list));
    const std::string prefs = std::string(kPreferencesFolder) + "/com.quarvek.nestora." + made + ".plist";
    EXPECT_TRUE(files::writeFileAtomically(prefs, plist::toBinary(plist::Value(std::move(domain)))));
    // The app hides each app as it is added.
    const platform::DeviceAppServices services;
    for (const std::string& item : items) setIconHidden(services, item, true);
    return made;
}

void BackupDevice::removeAll(std::string_view devicePath) const { fs::remove_all(host(devicePath)); }

void BackupDevice::deleteEveryCategory() const {
    for (const std::string& name : categoryNames()) EXPECT_EQ(tool({"-d", name}).out, "") << name;
    EXPECT_TRUE(categoryNames().empty());
}

std::string BackupDevice::state() const {
    std::string out;
    for (const std::string& name : categoryNames()) {
        out += name + ":\n";
        const std::string bundle = "/Applications/" + name + ".app/";
        for (const char* file : {"Info.plist", "icon.png", "NestoraLauncher", "blank.png", "Default.png", "background.png",
                                 "MainWindow.nib"}) {
            if (exists(bundle + file)) out += std::string("  ") + file + ": " + readFile(bundle + file) + "\n";
        }
        const std::string prefs = std::string(kPreferencesFolder) + "/com.quarvek.nestora." + name + ".plist";
        if (exists(prefs)) {
            out += "  preferences: ";
            const std::optional<plist::Value> value = plist::readFile(prefs);
            if (value) describeValue(*value, out);
            else out += "unreadable";
            out += "\n";
        }
    }
    out += "hidden:\n";
    for (const std::string& app : hiddenApps()) out += "  " + app + "\n";
    return out;
}

std::string BackupDevice::judgedState() const {
    RunResult result = runProgram({NESTORA_TEST_PYTHON, "-c", kStateScript, root()});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return result.out;
}

std::map<std::string, std::string> BackupDevice::tree() const {
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(root()); it != fs::recursive_directory_iterator(); ++it) {
        const std::string devicePath = it->path().string().substr(root().size());
        if (it->is_symlink()) {
            entries[devicePath] = "link to " + fs::read_symlink(it->path()).string();
        } else if (it->is_directory()) {
            entries[devicePath] = "folder";
        } else {
            entries[devicePath] = readFile(devicePath);
        }
    }
    return entries;
}

std::vector<std::string> changedPaths(const std::map<std::string, std::string>& before,
                                      const std::map<std::string, std::string>& after) {
    std::vector<std::string> changed;
    for (const auto& [path, entry] : after) {
        auto old = before.find(path);
        if (old == before.end() || old->second != entry) changed.push_back(path);
    }
    for (const auto& [path, entry] : before) {
        if (!after.contains(path)) changed.push_back(path);
    }
    return changed;
}

std::vector<std::string> BackupDevice::categoryNames() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(host(kPreferencesFolder), error)) {
        const std::string name = entry.path().filename().string();
        constexpr std::string_view kPrefix = "com.quarvek.nestora.";
        if (name.starts_with(kPrefix) && name.ends_with(".plist")) {
            names.push_back(name.substr(kPrefix.size(), name.size() - kPrefix.size() - 6));
        }
    }
    for (const auto& entry : fs::directory_iterator(host("/Applications"), error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("Category") && name.ends_with(".app") &&
            std::find(names.begin(), names.end(), name.substr(0, name.size() - 4)) == names.end()) {
            names.push_back(name.substr(0, name.size() - 4));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> BackupDevice::hiddenApps() const {
    // Read as the home screen reads it: a line a power cut tore is no entry.
    std::vector<std::string> apps = hide::hiddenInfoPlistPaths();
    std::sort(apps.begin(), apps.end());
    return apps;
}

std::string pngImage(std::string_view marker) {
    return std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + std::string(marker);
}

std::string lineWith(const std::string& text, std::string_view part) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.find(part) != std::string::npos) return line;
    }
    return "";
}

}  // namespace nestora::test
