#include "model/CategoryItems.h"

#include <algorithm>
#include <utility>

#include "platform/Files.h"
#include "platform/Plist.h"
#include "platform/SystemLog.h"

namespace nestora::model {

namespace {

// An app is installed while its executable is there (links followed).
bool isInstalled(const platform::AppServices& services, const std::string& displayIdentifier) {
    const auto executable = services.executablePathForDisplayIdentifier(displayIdentifier);
    return executable && (files::isRegularFile(*executable) || files::isDirectory(*executable));
}

}  // namespace

CategoryItems::CategoryItems(platform::Preferences& preferences, const platform::AppServices& services,
                             ApplicationObject& application, std::string categoryBundleIdentifier)
    : preferences_(preferences),
      services_(services),
      application_(application),
      bundleIdentifier_(std::move(categoryBundleIdentifier)) {}

void CategoryItems::loadItems() {
    items_.clear();
    auto stored = preferences_.copyAppValue(kItemsKey, bundleIdentifier_);
    if (!stored || !stored->isArray()) {
        return;
    }
    // Apps uninstalled since the last visit leave the list for good. Entries
    // that are not text are none of ours to judge: they stay in the stored
    // array (until the next change, which writes only what is shown).
    plist::Array& working = *stored->array();
    bool changed = false;
    for (std::size_t index = 0; index < working.size();) {
        const std::string* id = working[index].string();
        if (id != nullptr && !isInstalled(services_, *id)) {
            working.erase(working.begin() + static_cast<std::ptrdiff_t>(index));
            changed = true;
            continue;
        }
        ++index;
    }
    if (changed) {
        platform::systemLog("Saving edits file of %d entries\n", static_cast<int>(working.size()));
        preferences_.setAppValue(kItemsKey, *stored, bundleIdentifier_);
        preferences_.appSynchronize(bundleIdentifier_);
    }
    for (const plist::Value& entry : working) {
        if (const std::string* id = entry.string()) {
            items_.push_back(*id);
        }
    }
}

bool CategoryItems::saveItems() {
    plist::Array array;
    array.reserve(items_.size());
    for (const std::string& id : items_) {
        array.emplace_back(id);
    }
    preferences_.setAppValue(kItemsKey, plist::Value(std::move(array)), bundleIdentifier_);
    return preferences_.appSynchronize(bundleIdentifier_);
}

void CategoryItems::addItem(const std::string& displayIdentifier) {
    items_.push_back(displayIdentifier);
    application_.setHiddenFromSpringBoard(true, displayIdentifier);
    saveItems();
}

bool CategoryItems::removeItemAtRow(std::size_t row) {
    if (row >= items_.size()) {
        return false;
    }
    std::string id = items_[row];
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(row));
    // The list may hold an app twice. Taking out one copy leaves the app in
    // this category: it stays hidden and is not offered for adding again.
    const bool stillHeld = std::find(items_.begin(), items_.end(), id) != items_.end();
    if (!stillHeld) {
        // Shown again even if something else had hidden it: taking an app out
        // of a category must never leave it invisible.
        application_.setHiddenFromSpringBoard(false, id);
        if (AvailableApps& available = application_.items()) {
            available->push_back(std::move(id));
        }
    }
    saveItems();
    return true;
}

bool CategoryItems::moveItem(std::size_t from, std::size_t to) {
    // `to` counts in the list without the moved entry: at most its new length.
    if (from >= items_.size() || to > items_.size() - 1) {
        return false;
    }
    std::string id = std::move(items_[from]);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(from));
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(to), std::move(id));
    saveItems();
    return true;
}

}  // namespace nestora::model
