// Nestora: the graphical application. Everything but this lives in nestora_app.

#include <QApplication>

#include "app/Nestora.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    nestora::app::Nestora nestora;
    nestora.applicationDidFinishLaunching();
    return application.exec();
}
