// Nestora: the graphical application. Everything but this lives in nestora_app.
//
//   Nestora [URL]   with a URL ("nestora:?<category bundle identifier>", as a
//                   URL handler passes it), opens that category's settings

#include <QApplication>

#include <cstdio>

#include "app/Nestora.h"
#include "app/UrlEntry.h"
#include "platform/RootRun.h"
#include "ui/SystemFont.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Run by root, the app works as the user whose categories these are
    // (after the display is reached, before any file of theirs is touched).
    if (!nestora::platform::leaveRootForPreferencesOwner("Nestora", stderr)) return 1;
    if (!nestora::ui::loadSystemFont()) {
        std::fprintf(stderr, "%s: cannot load the fonts in %s; drawing with the machine's Helvetica\n", argv[0],
                     nestora::ui::kSystemFontFolder);
    }
    nestora::app::Nestora nestora;
    nestora.applicationDidFinishLaunching();
    // QApplication has taken its own options out of argv by now.
    if (const auto url = nestora::app::urlArgument(argc, argv)) {
        nestora.handleOpenURL(*url);
    }
    return application.exec();
}
