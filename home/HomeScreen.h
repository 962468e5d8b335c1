#pragma once

// The stand-in home screen of a sample device: pages of the installed apps
// and categories (less what the hide library holds hidden), a category
// opened in its launcher when tapped, any other app shown "launched", and
// Nestora itself started as a program on the same device root. It restarts
// (reloads everything from the device) when Nestora posts the restart
// notification at its exit, and on demand ("Restart home screen", Ctrl+R or
// the context menu).

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "home/HomeIcon.h"
#include "platform/AppServices.h"
#include "platform/NotificationObserver.h"
#include "platform/Preferences.h"

class QAction;
class QProcess;

namespace nestora::home {

class CategoryLauncher;
class IconPager;
class LaunchedAppView;

// The notification that makes the home screen restart.
inline constexpr std::string_view kRestartNotification = "com.apple.language.changed";

class HomeScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 480;
    static constexpr int kStatusBarHeight = 20;

    // Loads the icons at once; the first page is built, not yet painted.
    explicit HomeScreen(QWidget* parent = nullptr);
    ~HomeScreen() override;
    HomeScreen(const HomeScreen&) = delete;
    HomeScreen& operator=(const HomeScreen&) = delete;

    // Reloads from the device: a launched app ends, an open category closes
    // unless it keeps resident (then it opens again on fresh contents), and
    // the first page shows.
    void restart();
    QAction* restartAction() const { return restartAction_; }
    // Loads so far, the first one included.
    int loadCount() const { return loadCount_; }

    IconPager& pager() const { return *pager_; }
    const std::vector<HomeIcon>& icons() const;
    // The open category, the launched app, Nestora's process; null when none.
    CategoryLauncher* launcher() const;
    LaunchedAppView* launchedApp() const;
    QProcess* nestoraProcess() const { return nestora_; }

    // What a tap on an icon does, on a page or in a category.
    void openIcon(const HomeIcon& icon);
    // Home or Escape: leaves the launched app, else the open category.
    void goHome();

signals:
    void reloaded();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void openCategory(const HomeIcon& category, bool showLaunchImage);
    void closeLauncher(bool orderly);
    void closeLaunchedApp();
    void startNestora(const HomeIcon& nestora);
    void takeNotifications();

    platform::DeviceAppServices services_;
    platform::Preferences preferences_;  // only read: the launcher changes nothing
    platform::NotificationObserver observer_;
    QTimer notificationPoll_;  // when the posts log cannot be watched
    IconPager* pager_ = nullptr;
    QPointer<CategoryLauncher> launcher_;
    QPointer<LaunchedAppView> launchedApp_;
    QAction* restartAction_ = nullptr;
    QProcess* nestora_ = nullptr;
    int loadCount_ = 0;
};

}  // namespace nestora::home
