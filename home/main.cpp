// NestoraHome: the stand-in home screen. Everything but this lives in
// nestora_home.

#include <QApplication>

#include "home/HomeScreen.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    nestora::home::HomeScreen home;
    home.show();
    return application.exec();
}
