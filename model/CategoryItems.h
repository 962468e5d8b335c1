#pragma once

// One category's contents: the "items" array of display identifiers in the
// category's preferences domain, in display order (no length limit, no
// uniqueness rule). The contents screen owns one of these per open category.
// Every change is mirrored on the home screen (an app put into a category is
// hidden, one taken out is shown) and saved at once; nothing is saved when
// the screen closes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/ApplicationObject.h"
#include "platform/AppServices.h"
#include "platform/Preferences.h"

namespace nestora::model {

inline constexpr std::string_view kItemsKey = "items";

class CategoryItems {
public:
    // The list starts empty; call loadItems() to fill it.
    CategoryItems(platform::Preferences& preferences, const platform::AppServices& services,
                  ApplicationObject& application, std::string categoryBundleIdentifier);

    // loadItems: fills the list from the domain. Text entries whose app has
    // no executable (uninstalled apps) are dropped, without being shown on
    // the home screen; if any was dropped, the shortened array, still holding
    // any non-text entries, is written back once and the log says "Saving
    // edits file of <n> entries". Only text entries enter the list. A missing
    // or non-array "items" gives an empty list and writes nothing.
    void loadItems();

    // saveItems: writes the whole list as "items" and synchronises. Only this
    // key of the domain is touched. True when the write reached the file.
    bool saveItems();

    // Add: append, hide from the home screen, save.
    void addItem(const std::string& displayIdentifier);

    // Remove the entry at a row: show it on the home screen, take it out,
    // append it to the application's available-apps list if that list
    // exists, save. When the list still holds the same app at another row,
    // the app stays in the category: it is neither shown nor offered again.
    // False (and nothing done) for a row out of range.
    bool removeItemAtRow(std::size_t row);

    // Move: take the entry out at `from`, insert it at `to` counted in the
    // list after the removal (to == the new length appends), save. Shows and
    // hides nothing. False (and nothing done) for a bad range.
    bool moveItem(std::size_t from, std::size_t to);

    const std::vector<std::string>& items() const { return items_; }
    std::size_t count() const { return items_.size(); }
    const std::string& bundleIdentifier() const { return bundleIdentifier_; }

private:
    platform::Preferences& preferences_;
    const platform::AppServices& services_;
    ApplicationObject& application_;
    std::string bundleIdentifier_;
    std::vector<std::string> items_;
};

}  // namespace nestora::model
