// NestoraHome: the stand-in home screen. Everything but this lives in
// nestora_home.

#include <QApplication>

#include <cstdio>

#include "home/HomeScreen.h"
#include "platform/RootRun.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Run by root, the home screen works as the user whose screen it is
    // (after the display is reached, before any file of theirs is touched).
    if (!nestora::platform::leaveRootForPreferencesOwner("NestoraHome", stderr)) return 1;
    nestora::home::HomeScreen home;
    home.show();
    return application.exec();
}
