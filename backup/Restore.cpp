#include "backup/Restore.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

#include "backup/CategoryTool.h"
#include "backup/DeviceCategories.h"
#include "backup/RestoreJournal.h"
#include "backup/RestoreLock.h"
#include "backup/RestoreOutput.h"
#include "backup/RestorePlan.h"
#include "common/CategoryNaming.h"
#include "common/IconHiding.h"
#include "platform/Files.h"

namespace nestora::backup {

namespace {

std::string identifierFor(std::string_view directoryName) {
    return std::string(kCategoryIdentifierPrefix) + std::string(directoryName);
}

bool nameIsFree(const std::string& directoryName) {
    const std::string identifier = identifierFor(directoryName);
    return !categoryBundleExists(identifier) && !categoryPrefsExist(identifier);
}

std::string_view iconBytes(const BackupCategory& category) {
    return {reinterpret_cast<const char*>(category.icon->data()), category.icon->size()};
}

// The categories a restore makes, in three steps, each for all of them at
// once: their bundles (one run of the tool), their preferences domains (one
// batch of writes, flushed together), and the hiding of their apps (the hide
// library opened once). Each step looks first whether its work is done, so a
// run killed anywhere is finished by running it again; a category's items
// are written only once its bundle is whole, and its apps hidden only once
// its items are on disk, so no app is ever hidden that no category holds.
class Restorer {
public:
    Restorer(const Backup& backup, const std::vector<PlannedCategory>& plan, RestoreOutput& output)
        : backup_(backup), plan_(plan), output_(output), failed_(plan.size(), false) {
        for (std::size_t i = 0; i < plan.size(); ++i) {
            if (plan[i].action == RestoreAction::Make) making_.push_back(i);
        }
    }

    void makeBundles() {
        std::vector<CategoryToMake> list;
        for (std::size_t i : making_) {
            const BackupCategory& wanted = backup_.categories[i];
            // A category without a bundle (the Recent list of the
            // SpringBoard extension is one) is only its preferences.
            if (!wanted.displayName) continue;
            const std::string& directoryName = plan_[i].directoryName;
            if (categoryBundleExists(identifierFor(directoryName)) && !categoryBundleIsWhole(directoryName) &&
                !itemsOf(readDeviceCategory(directoryName).preferences).empty()) {
                // Half made, yet holding items: not what a killed restore
                // leaves (items follow a whole bundle).
                fail(i, "the category is damaged; repair it with NestoraTool --repair");
                continue;
            }
            if (!bundleAsWanted(wanted, directoryName)) {
                list.push_back(CategoryToMake{directoryName, *wanted.displayName,
                                              wanted.icon ? std::optional<std::string>(iconBytes(wanted)) : std::nullopt});
            }
        }
        if (!makeCategoriesWithTool(list)) {
            for (const CategoryToMake& category : list) failedToolRun_.insert(category.directoryName);
        }
        for (std::size_t i : making_) {
            const BackupCategory& wanted = backup_.categories[i];
            if (failed_[i] || !wanted.displayName) continue;
            const std::string& directoryName = plan_[i].directoryName;
            if (failedToolRun_.contains(directoryName)) {
                fail(i, "NestoraTool could not be run");
                continue;
            }
            const DeviceCategory made = readDeviceCategory(directoryName);
            if (!made.hasBundle || !made.hasPreferencesFile || !categoryBundleIsWhole(directoryName)) {
                fail(i, "NestoraTool could not make the category");
            } else if (made.displayName != wanted.displayName) {
                fail(i, "NestoraTool could not name the category");
            } else if (wanted.icon && readCategoryIcon(directoryName) != iconBytes(wanted)) {
                fail(i, "NestoraTool could not set the icon");
            }
        }
    }

    // Exactly the backup's domain: its keys, no others.
    void writePreferences() {
        files::AtomicWriteBatch batch;
        std::map<std::string, std::size_t> written;  // preferences path -> category
        for (std::size_t i : making_) {
            if (failed_[i]) continue;
            const BackupCategory& wanted = backup_.categories[i];
            const std::string& directoryName = plan_[i].directoryName;
            const std::string path = prefsPathForIdentifier(identifierFor(directoryName));
            const DeviceCategory there = readDeviceCategory(directoryName);
            if (there.hasPreferencesFile && !there.preferencesUnreadable && there.preferences == wanted.preferences) {
                continue;
            }
            if (wanted.preferences.empty() && !there.hasPreferencesFile) {
                // Nothing to merge into: an empty domain is an empty file.
                if (!files::createEmptyFile(path)) fail(i, "could not write the preferences");
                continue;
            }
            const std::string bytes = plist::toBinary(plist::Value(wanted.preferences));
            if (bytes.empty() || !batch.add(path, bytes, 0600)) {
                fail(i, "could not write the preferences");
                continue;
            }
            written.emplace(path, i);
        }
        for (const std::string& path : batch.commit()) fail(written.at(path), "could not write the preferences");
    }

    void hideItems(const platform::AppServices& services) {
        IconHidingSession hiding;
        // Without the library nothing is hidden, and the apps need not be
        // looked up at all (the home-screen services would index every app).
        if (!hiding.available()) return;
        // Each app is looked up and hidden once per restore, however many
        // categories hold it.
        std::map<std::string, bool> installed;
        std::vector<std::optional<std::string>> paths;
        for (std::size_t i : making_) {
            const BackupCategory& wanted = backup_.categories[i];
            // A category without a bundle has no icon on the home screen:
            // hiding its apps would leave them nowhere to be opened from.
            if (failed_[i] || !wanted.displayName) continue;
            for (const std::string& item : itemsOf(wanted.preferences)) {
                auto [known, first] = installed.try_emplace(item, false);
                if (first) {
                    std::optional<std::string> path = infoPlistPathForDisplayIdentifier(services, item);
                    known->second = path.has_value();
                    if (path) paths.push_back(std::move(path));
                }
                if (!known->second) ++missingApps_;
            }
        }
        // In one call where the library can take them all at once.
        hiding.setHiddenAll(paths, true);
    }

    bool failed(std::size_t i) const { return failed_[i]; }
    std::size_t missingApps() const { return missingApps_; }

private:
    void fail(std::size_t i, std::string_view what) {
        if (failed_[i]) return;
        failed_[i] = true;
        output_.message(plan_[i].directoryName, what);
    }

    // The bundle is whole, named and pictured as the backup says, with its
    // preferences file: the tool has nothing to do for it.
    static bool bundleAsWanted(const BackupCategory& wanted, const std::string& directoryName) {
        if (!categoryBundleExists(identifierFor(directoryName))) return false;
        const DeviceCategory there = readDeviceCategory(directoryName);
        return there.hasPreferencesFile && there.displayName == wanted.displayName &&
               categoryBundleIsWhole(directoryName) && (!wanted.icon || readCategoryIcon(directoryName) == iconBytes(wanted));
    }

    const Backup& backup_;
    const std::vector<PlannedCategory>& plan_;
    RestoreOutput& output_;
    std::vector<std::size_t> making_;
    std::vector<bool> failed_;
    std::set<std::string> failedToolRun_;
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
    Restorer restorer(backup, plan, output);
    if (!journal.targets.empty()) {
        restorer.makeBundles();
        restorer.writePreferences();
        restorer.hideItems(services);
    }
    for (std::size_t i = 0; i < plan.size(); ++i) {
        switch (plan[i].action) {
            case RestoreAction::LeaveAlone:
                ++counts.alreadyPresent;
                break;
            case RestoreAction::Skip:
                output.message(backup.categories[i].directoryName, "skipped: " + plan[i].reason);
                ++counts.skipped;
                break;
            case RestoreAction::Make:
                ++(restorer.failed(i) ? counts.failed : counts.restored);
                break;
        }
        output.progress(i + 1);
    }
    counts.missingApps = restorer.missingApps();
    if (counts.failed == 0) (void)removeRestoreJournal();
    return counts;
}

}  // namespace nestora::backup
