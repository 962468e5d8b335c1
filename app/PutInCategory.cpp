// nestora_put_in_category TITLE ICON_PATH DISPLAY_IDENTIFIER...
//
// Does what a user does in Nestora to group apps, without the taps: launches
// the app on the device root (NESTORA_DEVICE_ROOT), creates a category with
// the title and the icon through the tool as the category list does, puts
// the apps into it through the category contents (each saved and hidden
// from the home screen), and ends the way the app ends, which restarts the
// home screen. scripts/demo runs it to show the home screen change.

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Nestora.h"
#include "app/RootViewController.h"
#include "model/CategoryItems.h"
#include "ui/SystemFont.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    nestora::ui::loadSystemFont();
    if (argc < 4) {
        std::fprintf(stderr, "usage: nestora_put_in_category TITLE ICON_PATH DISPLAY_IDENTIFIER...\n");
        return 2;
    }
    nestora::app::Nestora nestora;
    nestora.applicationDidFinishLaunching();
    nestora::app::RootViewController& list = *nestora.rootViewController();

    list.loadCategories();
    const std::vector<std::string> before = list.categories();
    if (!list.createCategoryWithName(argv[1])) {
        std::fprintf(stderr, "nestora_put_in_category: the tool could not create the category\n");
        return 1;
    }
    list.loadCategories();
    std::string created;
    for (const std::string& identifier : list.categories()) {
        if (std::find(before.begin(), before.end(), identifier) == before.end()) created = identifier;
    }
    if (created.empty()) {
        std::fprintf(stderr, "nestora_put_in_category: no new category appeared\n");
        return 1;
    }
    list.setIconForCategoryWithBundleIdentifier(argv[2], created);

    nestora::model::CategoryItems items(nestora.preferences(), nestora.appServices(), nestora, created);
    items.loadItems();
    for (int arg = 3; arg < argc; ++arg) {
        items.addItem(argv[arg]);
    }
    std::printf("%s: %zu apps\n", created.c_str(), items.count());
    nestora.terminateWithSuccess();
    return 0;
}
