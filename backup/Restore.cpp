#include "backup/Restore.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

#include "backup/BackupFolders.h"
#include "backup/CategoryTool.h"
#include "backup/DeviceCategories.h"
#include "backup/PrintableText.h"
#include "backup/RestoreJournal.h"
#include "backup/RestoreLock.h"
#include "backup/RestorePlan.h"
#include "common/CategoryNaming.h"
#include "common/IconHiding.h"
#include "platform/Files.h"
#include "platform/Preferences.h"

namespace nestora::backup {

namespace {

// The icon goes to the tool as a file of ours, which it reads with our rights.
constexpr std::string_view kIconHandOverPath = "/var/mobile/Library/Nestora/RestoreIcon.png";

std::string identifierFor(std::string_view directoryName) {
    return std::string(kCategoryIdentifierPrefix) + std::string(directoryName);
}

bool nameIsFree(const std::string& directoryName) {
    const std::string identifier = identifierFor(directoryName);
    return !categoryBundleExists(identifier) && !categoryPrefsExist(identifier);
}

// Standard error during a restore: a progress line rewritten in place when
// there are more than a few categories, and messages on lines of their own.
class RestoreOutput {
public:
    RestoreOutput(std::FILE* out, std::size_t total) : out_(out), total_(total), shown_(total > kProgressThreshold) {}
    ~RestoreOutput() { endProgressLine(); }
    RestoreOutput(const RestoreOutput&) = delete;
    RestoreOutput& operator=(const RestoreOutput&) = delete;

    void progress(std::size_t done) {
        if (!shown_) return;
        std::fprintf(out_, "\rRestoring category %zu of %zu", done, total_);
        std::fflush(out_);
        lineOpen_ = true;
    }

    void message(std::string_view directoryName, std::string_view text) {
        endProgressLine();
        std::fprintf(out_, "nestora-backup: %s: %.*s\n", printable(directoryName).c_str(), static_cast<int>(text.size()),
                     text.data());
        std::fflush(out_);
    }

private:
    void endProgressLine() {
        if (lineOpen_) std::fputc('\n', out_);
        lineOpen_ = false;
    }

    std::FILE* out_;
    std::size_t total_;
    bool shown_;
    bool lineOpen_ = false;
};

// The Info.plist paths of the apps to hide, looked up before the restore
// makes anything: the home-screen services rebuild their index whenever
// /Applications changes, which each category made does.
using AppPaths = std::map<std::string, std::optional<std::string>, std::less<>>;

AppPaths appPathsFor(const Backup& backup, const std::vector<PlannedCategory>& plan,
                     const platform::AppServices& services) {
    AppPaths paths;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (plan[i].action != RestoreAction::Make) continue;
        for (std::string& item : itemsOf(backup.categories[i].preferences)) {
            if (!paths.contains(item)) {
                std::optional<std::string> path = infoPlistPathForDisplayIdentifier(services, item);
                paths.emplace(std::move(item), std::move(path));
            }
        }
    }
    return paths;
}

class Restorer {
public:
    Restorer(AppPaths appPaths, RestoreOutput& output) : appPaths_(std::move(appPaths)), output_(output) {}

    // Makes (or finishes) one category as `directoryName`. False, with a
    // message, when a step did not take.
    bool make(const BackupCategory& wanted, const std::string& directoryName) {
        if (wanted.displayName && !ensureBundle(wanted, directoryName)) return false;
        if (!ensurePreferences(wanted, directoryName)) return false;
        // A category without a bundle has no icon on the home screen (the
        // Recent list of the SpringBoard extension is one): hiding its apps
        // would leave them nowhere to be opened from.
        if (wanted.displayName) hideItems(wanted);
        return true;
    }

    std::size_t missingApps() const { return missingApps_; }

private:
    bool fail(const std::string& directoryName, std::string_view what) {
        output_.message(directoryName, what);
        return false;
    }

    bool ensureBundle(const BackupCategory& wanted, const std::string& directoryName) {
        const std::string identifier = identifierFor(directoryName);
        if (categoryBundleExists(identifier) && !categoryBundleIsWhole(directoryName)) {
            // A bundle a killed run left half made. Its items were never
            // written (they follow a whole bundle), so deleting it shows no
            // app that another category holds.
            if (!itemsOf(readDeviceCategory(directoryName).preferences).empty()) {
                return fail(directoryName, "the category is damaged; repair it with NestoraTool --repair");
            }
            deleteCategoryWithTool(directoryName);
        }
        const bool bundleMissing = !categoryBundleExists(identifier);
        const bool repair = bundleMissing || !categoryPrefsExist(identifier);
        // A bundle made by repair shows its directory name until it is named.
        const std::optional<std::string> shown =
            bundleMissing ? std::optional<std::string>(directoryName) : readDeviceCategory(directoryName).displayName;
        repairAndNameCategory(directoryName, repair, shown != wanted.displayName ? &*wanted.displayName : nullptr);
        const DeviceCategory made = readDeviceCategory(directoryName);
        if (!made.hasBundle || !made.hasPreferencesFile || !categoryBundleIsWhole(directoryName)) {
            return fail(directoryName, "NestoraTool could not make the category");
        }
        if (made.displayName != wanted.displayName) return fail(directoryName, "NestoraTool could not name the category");
        return ensureIcon(wanted, directoryName);
    }

    bool ensureIcon(const BackupCategory& wanted, const std::string& directoryName) {
        if (!wanted.icon) return true;
        const std::string_view icon(reinterpret_cast<const char*>(wanted.icon->data()), wanted.icon->size());
        if (readCategoryIcon(directoryName) == icon) return true;
        if (!makeFolderWithParents(kNestoraDataFolder) || !files::writeFileAtomically(kIconHandOverPath, icon, 0600)) {
            return fail(directoryName, "could not hand the icon over to NestoraTool");
        }
        setCategoryIconFrom(directoryName, kIconHandOverPath);
        (void)files::removeRecursively(kIconHandOverPath);
        if (readCategoryIcon(directoryName) != icon) return fail(directoryName, "NestoraTool could not set the icon");
        return true;
    }

    bool ensurePreferences(const BackupCategory& wanted, const std::string& directoryName) {
        const std::string identifier = identifierFor(directoryName);
        const DeviceCategory there = readDeviceCategory(directoryName);
        if (there.hasPreferencesFile && !there.preferencesUnreadable && there.preferences == wanted.preferences) {
            return true;
        }
        if (wanted.preferences.empty() && !there.hasPreferencesFile) {
            // Nothing to merge into: an empty domain is an empty file.
            if (files::createEmptyFile(prefsPathForIdentifier(identifier))) return true;
            return fail(directoryName, "could not write the preferences");
        }
        // Exactly the backup's domain: its keys set, every other key removed.
        platform::Preferences preferences;
        for (const auto& [key, value] : wanted.preferences) preferences.setAppValue(key, value, identifier);
        for (const auto& [key, value] : there.preferences) {
            if (!wanted.preferences.contains(key)) preferences.setAppValue(key, std::nullopt, identifier);
        }
        if (!preferences.appSynchronize(identifier)) return fail(directoryName, "could not write the preferences");
        return true;
    }

    void hideItems(const BackupCategory& wanted) {
        for (const std::string& item : itemsOf(wanted.preferences)) {
            auto path = appPaths_.find(item);
            if (path == appPaths_.end() || !path->second) {
                ++missingApps_;
            } else if (hidden_.insert(item).second) {
                setIconHiddenForInfoPlistPath(path->second, true);
            }
        }
    }

    const AppPaths appPaths_;
    RestoreOutput& output_;
    std::set<std::string> hidden_;  // each app is hidden once per restore
    std::size_t missingApps_ = 0;
};

}  // namespace

RestoreCounts restoreBackup(const Backup& backup, std::string_view backupKey, const platform::AppServices& services,
                            std::FILE* messages) {
    RestoreCounts counts;
    // Held to the end, before the device is looked at: no other run changes
    // categories meanwhile, and the tool runs below share it.
    const std::optional<platform::DeviceLock> lock = lockCategoriesForRestore(messages);
    if (!lock) {
        counts.failed = backup.categories.size();
        return counts;
    }
    std::map<std::size_t, std::string> begun;
    if (auto journal = readRestoreJournal(); journal && journal->backupKey == backupKey) begun = journal->targets;
    const std::vector<PlannedCategory> plan = planRestore(backup, scanDeviceCategories(), begun, nameIsFree);

    RestoreJournal journal{std::string(backupKey), {}};
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (plan[i].action == RestoreAction::Make) journal.targets.emplace(i, plan[i].directoryName);
    }
    if (!journal.targets.empty() && !writeRestoreJournal(journal)) {
        std::fputs("nestora-backup: cannot write the restore journal; nothing was restored\n", messages);
        counts.failed = journal.targets.size();
        return counts;
    }

    RestoreOutput output(messages, plan.size());
    Restorer restorer(appPathsFor(backup, plan, services), output);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const BackupCategory& wanted = backup.categories[i];
        switch (plan[i].action) {
            case RestoreAction::LeaveAlone:
                ++counts.alreadyPresent;
                break;
            case RestoreAction::Skip:
                output.message(wanted.directoryName, "skipped: " + plan[i].reason);
                ++counts.skipped;
                break;
            case RestoreAction::Make:
                ++(restorer.make(wanted, plan[i].directoryName) ? counts.restored : counts.failed);
                break;
        }
        output.progress(i + 1);
    }
    counts.missingApps = restorer.missingApps();
    if (counts.failed == 0) (void)removeRestoreJournal();
    return counts;
}

}  // namespace nestora::backup
