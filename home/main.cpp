// NestoraHome: the stand-in home screen. Everything but this lives in
// nestora_home.

#include <QApplication>

#include <cstdio>

#include "home/HomeScreen.h"
#include "ui/SystemFont.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (!nestora::ui::loadSystemFont()) {
        std::fprintf(stderr, "%s: cannot load the fonts in %s; drawing with the machine's Helvetica\n", argv[0],
                     nestora::ui::kSystemFontFolder);
    }
    nestora::home::HomeScreen home;
    home.show();
    return application.exec();
}
