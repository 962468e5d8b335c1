// nestora_home_tour OUTPUT_FOLDER CATEGORY_TITLE COMMAND [ARGUMENT...]
//
// The home screen's part of the headless demo. Opens the home screen on the
// device root (NESTORA_DEVICE_ROOT) and saves a picture of it; runs COMMAND,
// which is to put apps into a new category named CATEGORY_TITLE through
// Nestora and end Nestora; waits for the restart that Nestora's exit asks
// for and saves the home screen again (its first page, and the page with
// the new category); then opens that category with its settings at their
// defaults, with every setting changed, and with the settings that show
// (title, coloured labels, one row sideways, background, theme), saving a
// picture of each. The category's settings are changed as the settings
// screen changes them.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <functional>

#include "home/CategoryLauncher.h"
#include "home/HomeScreen.h"
#include "home/IconPager.h"
#include "model/Prefs.h"
#include "platform/Preferences.h"
#include "ui/SystemFont.h"

namespace {

using nestora::home::HomeIcon;
using nestora::home::HomeScreen;
using nestora::home::IconPager;

bool pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void pump(int milliseconds) {
    pumpUntil([] { return false; }, milliseconds);
}

bool shoot(QWidget& window, const QDir& folder, const char* name) {
    // Past the launch image of a category that has just opened.
    pump(400);
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "nestora_home_tour: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("  %s\n", qPrintable(path));
    return true;
}

const HomeIcon* categoryNamed(const HomeScreen& home, const std::string& title) {
    for (const HomeIcon& icon : home.icons()) {
        if (icon.kind == HomeIcon::Kind::Category && icon.name == title) return &icon;
    }
    return nullptr;
}

bool shootCategory(HomeScreen& home, const HomeIcon& category, const QDir& folder, const char* name,
                   const std::function<void(nestora::model::Prefs&)>& settings) {
    nestora::platform::Preferences preferences;
    nestora::model::Prefs prefs(preferences, category.displayIdentifier);
    prefs.registerDefaults();
    prefs.load();
    settings(prefs);
    home.openIcon(category);
    const bool ok = shoot(home, folder, name);
    home.goHome();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    nestora::ui::loadSystemFont();
    if (argc < 4) {
        std::fprintf(stderr, "usage: nestora_home_tour OUTPUT_FOLDER CATEGORY_TITLE COMMAND [ARGUMENT...]\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "nestora_home_tour: cannot create %s\n", argv[1]);
        return 1;
    }
    const std::string title = argv[2];
    HomeScreen home;
    home.show();
    bool ok = shoot(home, folder, "home-1-before.png");

    QProcess nestora;
    nestora.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    QStringList arguments;
    for (int arg = 4; arg < argc; ++arg) arguments << QString::fromLocal8Bit(argv[arg]);
    nestora.start(QString::fromLocal8Bit(argv[3]), arguments);
    const int loads = home.loadCount();
    if (!nestora.waitForStarted() ||
        !pumpUntil([&] { return nestora.state() == QProcess::NotRunning; }, 60000) ||
        nestora.exitStatus() != QProcess::NormalExit || nestora.exitCode() != 0) {
        std::fprintf(stderr, "nestora_home_tour: %s failed\n", argv[3]);
        return 1;
    }
    if (!pumpUntil([&] { return home.loadCount() > loads; }, 10000)) {
        std::fprintf(stderr, "nestora_home_tour: the home screen was not restarted\n");
        return 1;
    }
    const HomeIcon* found = categoryNamed(home, title);
    if (found == nullptr) {
        std::fprintf(stderr, "nestora_home_tour: no category \"%s\" on the home screen\n", title.c_str());
        return 1;
    }
    const HomeIcon category = *found;
    const int categoryPage = static_cast<int>(found - home.icons().data()) / IconPager::kIconsPerPage;
    ok &= shoot(home, folder, "home-2-after.png");
    // The category's own page, when it is not the first: the same picture
    // twice would tell nothing.
    if (categoryPage != home.pager().currentPage()) {
        home.pager().setCurrentPage(categoryPage);
        ok &= shoot(home, folder, "home-3-after-category-page.png");
    }
    home.pager().setCurrentPage(0);

    ok &= shootCategory(home, category, folder, "home-4-category-defaults.png", [](nestora::model::Prefs&) {});
    ok &= shootCategory(home, category, folder, "home-5-category-every-setting-changed.png",
                        [](nestora::model::Prefs& prefs) {
                            prefs.setShowCategoryName(false);
                            prefs.setShowIconLabels(false);
                            prefs.setSaveImageOnExit(false);
                            prefs.setUseBackgroundImage(true);
                            prefs.setLeftRightScroll(false);
                            prefs.setKeepResident(true);
                            prefs.setLeftRightRowsPerColumn(2);
                            prefs.setIconFontColor(10);
                            prefs.setIconThemeName("Demo.theme");
                        });
    ok &= shootCategory(home, category, folder, "home-6-category-title-colour-rows.png",
                        [](nestora::model::Prefs& prefs) {
                            prefs.setShowCategoryName(true);
                            prefs.setShowIconLabels(true);
                            prefs.setLeftRightScroll(true);
                            prefs.setLeftRightRowsPerColumn(1);
                            prefs.setIconFontColor(10);
                        });
    return ok ? 0 : 1;
}
