// NestoraHome: the stand-in home screen. Everything but this lives in
// nestora_home.

#include <QApplication>

#include <cstdio>

#include "home/HomeScreen.h"
#include "platform/RootRun.h"
#include "ui/SystemFont.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Run by root, the home screen works as the user whose screen it is
    // (after the display is reached, before any file of theirs is touched).
    if (!nestora::platform::leaveRootForPreferencesOwner("NestoraHome", stderr)) return 1;
    if (!nestora::ui::loadSystemFont()) {
        std::fprintf(stderr, "%s: cannot load the fonts in %s; drawing with the machine's Helvetica\n", argv[0],
                     nestora::ui::kSystemFontFolder);
    }
    nestora::home::HomeScreen home;
    home.show();
    return application.exec();
}
