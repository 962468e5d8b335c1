#pragma once

// A category opened from the home screen, as its launcher presents it: the
// category's items in stored order, laid out and drawn by its nine settings.
//
//   showCategoryName        a title bar with the category's display name
//   showIconLabels          names under the icons, or none
//   iconFontColor           the names' colour (the colour-code table)
//   leftRightScroll         columns of `leftRightRowsPerColumn` icons (1 to 4)
//                           scrolling sideways; else rows of four scrolling
//                           up and down
//   useBackgroundImage      the bundle's "background.png" behind the icons
//   iconThemeName           an app's icon from the theme's "Icons" folder
//                           when the theme has one for it
//   keepResident            the category stays open across a restart of the
//                           home screen (the home screen asks keepResident())
//   saveImageOnExit         leaving saves a picture of the launcher, which
//                           the next opening shows as its launch image in
//                           place of the bundle's "Default.png"

#include <QWidget>

#include <string>
#include <vector>

#include "home/HomeIcon.h"
#include "model/Prefs.h"

class QLabel;
class QScrollArea;

namespace nestora::ui {
class NavigationBar;
}  // namespace nestora::ui

namespace nestora::home {

class IconCell;

// Where a launcher keeps the picture it saves on leaving: outside its
// bundle, which only the tool writes.
std::string launchSnapshotPath(const std::string& categoryBundleIdentifier);

class CategoryLauncher : public QWidget {
    Q_OBJECT
public:
    // `prefs` loaded; `items` as categoryItems() gives them. The launch
    // image stands over the icons for a moment, unless the launcher was
    // resident and only comes back.
    CategoryLauncher(HomeIcon category, model::Prefs prefs, std::vector<HomeIcon> items, bool showLaunchImage = true,
                     QWidget* parent = nullptr);

    const HomeIcon& category() const { return category_; }
    const model::Prefs& prefs() const { return prefs_; }
    bool keepResident() const { return prefs_.keepResident(); }

    // The parts the settings decide; null where a setting leaves one out.
    ui::NavigationBar* titleBar() const { return titleBar_; }
    QLabel* background() const { return background_; }
    QScrollArea* scrollArea() const { return scrollArea_; }
    const std::vector<IconCell*>& cells() const { return cells_; }
    Qt::Orientation scrollOrientation() const;
    // Icons one above another in a column.
    int rowCount() const { return rows_; }
    // The picture shown while the launcher opens (a device path).
    const std::string& launchImagePath() const { return launchImagePath_; }

    // Leaving the category (Home, Escape): saves the picture when the
    // settings ask for it. True when a picture was saved.
    bool leave();

signals:
    void iconTapped(const nestora::home::HomeIcon& icon);

private:
    void buildGrid(const std::vector<HomeIcon>& items, int top);

    HomeIcon category_;
    model::Prefs prefs_;
    ui::NavigationBar* titleBar_ = nullptr;
    QLabel* background_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    std::vector<IconCell*> cells_;
    int rows_ = 0;
    std::string launchImagePath_;
};

}  // namespace nestora::home
