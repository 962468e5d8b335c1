// Every widget test runs on Qt's offscreen platform: no display, no real
// dialogs, screenshots still render; and reaches no host but loopback.

#include <gtest/gtest.h>

#include <QApplication>

#include "tests/ui/LoopbackOnlyNetwork.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    nestora::test::installLoopbackOnlyNetwork();
    return RUN_ALL_TESTS();
}
