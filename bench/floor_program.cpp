// nestora_bench_floor: the hand-written floors of the figures that time a
// whole program, as whole programs themselves, so that both sides of a ratio
// pay a process start. Each does the least work that gives its user the same
// result: it reads the same files (whole, once, relative to an open folder),
// parses nothing it can find by a byte search, and writes and flushes what
// the program must leave on disk. Never made slower than it can be.
//
//   nestora_bench_floor list                  what --list and --repairall must read
//   nestora_bench_floor save OUT BYTES        what a save reads, then BYTES written to OUT and flushed
//   nestora_bench_floor restore BACKUP DIR    the backup read, the files of 1,000 categories
//                                             written under DIR, one flush of the file system
//
// The device root is NESTORA_DEVICE_ROOT, as for the programs measured.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kCategoryPrefix = "com.quarvek.nestora.";
const char* const kLauncherFiles[] = {"NestoraLauncher", "blank.png", "Default.png", "background.png", "MainWindow.nib"};

std::string root() {
    const char* given = std::getenv("NESTORA_DEVICE_ROOT");
    return given != nullptr ? given : "";
}

int openFolder(const std::string& path) { return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

std::vector<std::string> namesIn(int folder) {
    std::vector<std::string> names;
    DIR* dir = ::fdopendir(::dup(folder));
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.' || (entry->d_name[1] != '\0' && std::strcmp(entry->d_name, "..") != 0)) {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    return names;
}

// The whole file, appended to `into`; false when it cannot be read.
bool readAt(int folder, const std::string& name, std::string& into) {
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[16384];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) into.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return n == 0;
}

bool writeAt(int folder, const std::string& name, std::string_view bytes) {
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && ok;
}

struct Scan {
    std::vector<std::string> categories;  // bundle names whose Info.plist names a category
    std::string read;                     // the bytes of the category files read
};

// Every bundle's Info.plist in /Applications; with `withIcons`, each
// category's icon too.
Scan scanApplications(const std::string& device, bool withIcons) {
    Scan scan;
    const int applications = openFolder(device + "/Applications");
    if (applications < 0) return scan;
    std::string bytes;
    for (const std::string& name : namesIn(applications)) {
        if (!name.ends_with(".app")) continue;
        bytes.clear();
        if (!readAt(applications, name + "/Info.plist", bytes) || bytes.find(kCategoryPrefix) == std::string::npos) {
            continue;
        }
        scan.categories.push_back(name);
        scan.read += bytes;
        if (withIcons) readAt(applications, name + "/icon.png", scan.read);
    }
    ::close(applications);
    return scan;
}

// Every category's preferences file (with `read`), or only the listing.
std::size_t scanPreferences(const std::string& device, std::string* read) {
    const int preferences = openFolder(device + "/var/mobile/Library/Preferences");
    if (preferences < 0) return 0;
    std::size_t count = 0;
    for (const std::string& name : namesIn(preferences)) {
        if (!name.starts_with(kCategoryPrefix)) continue;
        ++count;
        if (read != nullptr) readAt(preferences, name, *read);
    }
    ::close(preferences);
    return count;
}

int list() {
    const std::string device = root();
    const Scan scan = scanApplications(device, false);
    scanPreferences(device, nullptr);
    for (const std::string& name : scan.categories) std::printf("%-17.17s /Applications/%s\n", name.c_str(), name.c_str());
    return 0;
}

// Written as any file that must survive a power cut: a temporary file,
// flushed, renamed over the name, the folder flushed.
int save(const std::string& out, std::size_t size) {
    const std::string device = root();
    Scan scan = scanApplications(device, true);
    scanPreferences(device, &scan.read);
    const std::string seed = scan.read.empty() ? std::string("-") : std::move(scan.read);
    std::string bytes;
    bytes.reserve(size);
    while (bytes.size() < size) bytes.append(seed, 0, std::min(seed.size(), size - bytes.size()));
    const std::string target = device + out;
    const std::string folderPath = target.substr(0, target.rfind('/'));
    const std::string temporary = target + ".floor";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return 1;
    const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                         ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), target.c_str()) != 0) return 1;
    const int folder = openFolder(folderPath);
    const bool flushed = folder >= 0 && ::fsync(folder) == 0;
    if (folder >= 0) ::close(folder);
    return flushed ? 0 : 1;
}

int restore(const std::string& backup, const std::string& scratch) {
    const std::string device = root();
    std::string input;
    const int media = openFolder(device + backup.substr(0, backup.rfind('/')));
    if (media < 0 || !readAt(media, backup.substr(backup.rfind('/') + 1), input)) return 1;
    ::close(media);
    // What each category is made of: the launcher's files, an Info.plist, a
    // 4 KB icon and a preferences file, as the device's first category has them.
    std::vector<std::string> launcher;
    const int launcherFolder = openFolder(device + "/Applications/Nestora.app/Launcher");
    for (const char* name : kLauncherFiles) readAt(launcherFolder, name, launcher.emplace_back());
    ::close(launcherFolder);
    const std::string icon = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(4096 - 8, 'i');
    std::string info;
    std::string prefs;
    const int applications = openFolder(device + "/Applications");
    readAt(applications, "Category000.app/Info.plist", info);
    ::close(applications);
    const int preferences = openFolder(device + "/var/mobile/Library/Preferences");
    readAt(preferences, std::string(kCategoryPrefix) + "Category000.plist", prefs);
    ::close(preferences);
    const int folder = openFolder(device + scratch);
    if (folder < 0) return 1;
    ::mkdirat(folder, "prefs", 0755);
    const int prefsFolder = ::openat(folder, "prefs", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool ok = prefsFolder >= 0;
    for (int n = 0; ok && n < 1000; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "Category%03d", n);
        const std::string bundle = std::string(name) + ".app";
        ok = ::mkdirat(folder, bundle.c_str(), 0755) == 0;
        for (std::size_t f = 0; ok && f < launcher.size(); ++f) ok = writeAt(folder, bundle + "/" + kLauncherFiles[f], launcher[f]);
        ok = ok && writeAt(folder, bundle + "/Info.plist", info) && writeAt(folder, bundle + "/icon.png", icon) &&
             writeAt(prefsFolder, std::string(name) + ".plist", prefs);
    }
    ok = ok && ::syncfs(folder) == 0;
    ::close(prefsFolder);
    ::close(folder);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode == "list" && argc == 2) return list();
    if (mode == "save" && argc == 4) return save(argv[2], std::strtoull(argv[3], nullptr, 10));
    if (mode == "restore" && argc == 4) return restore(argv[2], argv[3]);
    std::fputs("usage: nestora_bench_floor list | save OUT BYTES | restore BACKUP DIR\n", stderr);
    return 2;
}
